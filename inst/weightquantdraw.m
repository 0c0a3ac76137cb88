%WEIGHTQUANTDRAW  Bayesian bootstrap draws of weighted percentiles of a sample.
%
%   Q = weightquantdraw(X, P) returns one posterior draw of the percentiles P (in percent,
%   0 to 100) of the observations in the first column of X, a 1-by-K row, where
%   K = size(P, 1) * size(P, 2). X is not sorted: pass sort(X) to get percentiles of the
%   sample.
%
%   Q = weightquantdraw(X, P, B) returns B draws, a B-by-K array with draw s in row s.
%
%   Q = weightquantdraw(X, P, B, W) scales each observation's exponential by the prior weight
%   W(i); W is a column of n values, used as given. A W of ones gives the same result as no W.
%
%   The columns of Q follow the percentiles in ascending order, sort(P), not in the order
%   given: Q(:, 1) is the smallest percentile.
%
%   Draw s gives the n observations the weights e / total, e(i) = -log(U(i)) (times W(i)) for
%   n uniforms U, total their sum in ascending order, and the cumulative weights
%   G(1) = e(1) / total, G(i) = G(i - 1) + e(i) / total, G(n) = 1 exactly. Each percentile
%   p = P / 100 goes to the first segment i with p <= G(i): X(1) for i = 1, else
%   a + ((b - a) * (p - G(i - 1))) / (G(i) - G(i - 1)) with a = X(i - 1), b = X(i).
%   So P = 0 (and any negative P) gives X(1), P = 100 gives X(n) up to rounding, and a P above
%   100 is never reached and gives 0. Above 100 means P / 100 > 1 as computed: a percentile
%   that rounding put just above 100, such as (0.1 + 0.2) / 0.3 * 100 = 100.00000000000003,
%   gives 0 too (pass min(P, 100)).
%
%   NaN percentiles: sort places them last. The scan of a draw stops at the first NaN, so it
%   and every percentile after it give 0. A NaN cumulative weight (from NaN or all-zero
%   weights) places nothing in that segment.
%
%   Random numbers: n uniforms per draw, in the order of rand(n, B), fetched with rand(n, b)
%   calls for b consecutive draws at a time (at most about a million numbers per call), which
%   leave the generator exactly where B calls of rand(n, 1) leave it. One call of sort(P) too.
%
%   Arguments:
%     X  real numeric or logical array of any class (converted to double); n = size(X, 1)
%        and only the first column is used.
%     P  real numeric or logical vector of percentiles (at most one of its first two
%        dimensions above 1); 1-by-K and K-by-1 give the same result. Like every other
%        argument, only its first two dimensions count: the first K elements of sort(P) are
%        used, so pass a vector (for a 1-by-1-by-3 P, sort works along the third dimension
%        and K is 1). A P whose later dimensions are 0 holds no values: K is 0.
%     B  number of draws, truncated toward zero (2.5 makes 2 draws); a negative B counts as
%        0 and returns a 0-by-K array. Default 1.
%     W  real numeric or logical column of n prior weights.
%
%   Unusual inputs:
%     An X with no rows has no segments: the result is B-by-K zeros and no random numbers are
%     used. An X with rows but no values (n-by-0, or a third dimension of 0) gives zeros too
%     and still uses n numbers per draw. An empty P gives a B-by-0 array, n numbers per draw.
%
%   Errors (identifier, message), in the order they are checked:
%     montemex:weightquantdraw:tooManyOutputs   Too many output arguments.
%     montemex:weightquantdraw:wrongInputCount  Wrong number of input arguments.
%     montemex:weightquantdraw:pNotVector       P must be a vector.
%     montemex:weightquantdraw:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                               (P here, before sort is called)
%     montemex:weightquantdraw:bNotScalar       B must be a scalar.
%     montemex:weightquantdraw:badSize          Size arguments must be finite real numbers.
%                                               (B NaN, Inf, empty or not real numeric)
%     montemex:weightquantdraw:sizeTooLarge     Size arguments are too large.
%                                               (B beyond what the host can index; B times K
%                                               is checked last, after the classes)
%     montemex:weightquantdraw:wNotColumn       W must be a column vector.
%     montemex:weightquantdraw:wSizeMismatch    W must be a same size as X.
%     montemex:weightquantdraw:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                               (W, then X)
%     montemex:weightquantdraw:tooLarge         This call needs 24 GB of memory at once, more
%                                               than the 22.7 GB a call may use here. (with the
%                                               call's own figures: see Limits below)
%     montemex:weightquantdraw:tooManyDraws     The result is empty, yet the call would draw
%                                               1e+13 random numbers for it; at most 4294967296
%                                               are drawn for an empty result. (see Limits
%                                               below)
%     montemex:weightquantdraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                               requested. (what a rand or sort of the user's,
%                                               an m-file that shadows it, returned: nothing,
%                                               another class, a complex or sparse array,
%                                               another size ("rand returned an array of class
%                                               int8 where real doubles were requested."), or
%                                               for sort another class or size than P, or
%                                               values out of ascending order with NaN last
%                                               ("sort returned values that are not in
%                                               ascending order."); or
%                                               numbers no sampler can use: "rand returned a
%                                               number outside the open interval (0, 1).", "rand
%                                               returned numbers that a rejection loop rejected
%                                               10000 times in a row.")
%   All but badHostResult are raised before any random number is drawn.
%
%   Warnings: the result is computed as described all the same, but these calls warn, since
%   the values they give are no percentiles of the sample, once per call each:
%     montemex:weightquantdraw:oneRow        X is one row, and each row is one observation:
%                                            only X(1) is read (pass X(:) for a sample in a
%                                            row). (an X of one row and several columns:
%                                            every percentile up to 100 gives X(1))
%     montemex:weightquantdraw:percentRange  P holds values outside 0 to 100 or NaN, which are
%                                            no percentiles: below 0 gives X(1), above 100
%                                            gives 0. (a P below 0, above 100, or NaN; the
%                                            legacy build places NaN as described below)
%     montemex:weightquantdraw:unsortedX     (X not in ascending order: see below)
%   They come in that order, once the call has drawn its random numbers, and only when the
%   result has values: made an error (warning('error', id)), one ends the call with no result
%   and the generator where the call would have left it; warning('off', id) silences it.
%
%   X must be sorted in ascending order for the result to be percentiles of the sample: the
%   function does not sort it. When the column of X it uses is not ascending it warns
%   montemex:weightquantdraw:unsortedX, "X is not sorted in ascending order: the percentiles
%   are not those of the sample (pass sort(X)).", once per call, and computes the result as
%   described all the same. The warning comes once the call has drawn its random numbers: made
%   an error (warning("error", id)), it ends the call with no result and the generator where
%   the call would have left it.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:weightquantdraw:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "weightquantdraw: failed to allocate N bytes of
%   memory" with an empty identifier). Ctrl-C ends a long call within a few milliseconds in
%   Octave, with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce. A call whose result is empty still draws its numbers, n per draw, so that the
%   generator ends where it would otherwise; more than 2^32 of them (half a minute of drawing
%   for nothing to see) are refused with tooManyDraws.
%
%   Legacy build: a comparison p <= G with a NaN on either side counts as true. A NaN
%   percentile is then placed where the scan reaches it (X(1) in the first segment, NaN in a
%   later one) and the scan goes on; the first segment whose cumulative weight is NaN takes
%   every percentile still unplaced, those above 100 too. With all-zero W the current build
%   gives NaN for percentiles up to 100 (0 when n = 1), the legacy build X(1) for all of them.
%
%   Example:
%     randn('state', 1); rand('state', 1);        % in MATLAB: rng(1)
%     x = sort(randn(100, 1));                    % a column, sorted: X is not sorted for you
%     Q = weightquantdraw(x, [5 50 95], 4000);    % 4000-by-3 posterior draws
%     median(Q)                                   % near the sample's percentiles
%
%   See also weightavgdraw, sort, rand.

%!test
%! % Bit for bit against the host's stream: with X = [1; 3] a draw's cumulative weights are
%! % g = e(1) / (e(1) + e(2)) and 1, so percentile p gives 1 where p <= g and otherwise
%! % 1 + (2 * (p - g)) / (1 - g); columns follow sort (P); the generator is left where
%! % rand (2, B) leaves it.
%! rand ("state", 1); E = -log (rand (2, 4)); after = rand ("state");
%! g = (E(1, :) ./ (E(1, :) + E(2, :)))'; p = [0.25 0.5];
%! expected = 1 + (p > g) .* ((2 * (p - g)) ./ (1 - g));
%! rand ("state", 1); assert (weightquantdraw ([1; 3], [50 25], 4), expected);
%! assert (rand ("state"), after);
%! rand ("state", 1); assert (weightquantdraw (single ([1; 3]), int8 ([25; 50]), 4.5, [1; 1]), expected);
%! rand ("state", 1); assert (weightquantdraw ([1; 3], [50 25]), expected(1, :));
%!test
%! % Percentiles outside 0 to 100 warn and keep their values: below gives X(1), above (just
%! % above 100 by rounding too) is never reached and gives 0. 0 and 100 do not warn.
%! warning ("off", "montemex:weightquantdraw:percentRange", "local");
%! Q = weightquantdraw ([1; 2; 3], [-5 0 100 150 (0.1 + 0.2) / 0.3 * 100], 3);
%! assert (Q(:, [1 2 4 5]), [ones(3, 2), zeros(3, 2)]);
%! assert (Q(:, 3), 3 * ones (3, 1), 1e-12);
%! warning ("on", "montemex:weightquantdraw:percentRange", "local");
%! lastwarn ("");
%! weightquantdraw ([1; 2; 3], [0 100], 3);
%! assert (lastwarn (), "");
%!warning id=montemex:weightquantdraw:percentRange weightquantdraw ([1; 2; 3], (0.1 + 0.2) / 0.3 * 100);
%!warning id=montemex:weightquantdraw:percentRange weightquantdraw ([1; 2; 3], [50 -1e-300]);
%!warning id=montemex:weightquantdraw:percentRange weightquantdraw ([1; 2; 3], [50 NaN]);
%!test
%! % A row typed where a column was meant: one observation, X(1), for every percentile, with a
%! % warning; a column of the same values does not warn.
%! warning ("off", "montemex:weightquantdraw:oneRow", "local");
%! assert (weightquantdraw ([1 2 3], [5 50 100], 2), ones (2, 3));
%! warning ("on", "montemex:weightquantdraw:oneRow", "local");
%! lastwarn ("");
%! weightquantdraw ([1; 2; 3], 50, 2);
%! weightquantdraw (7, 50, 2);
%! assert (lastwarn (), "");
%!warning id=montemex:weightquantdraw:oneRow weightquantdraw ([1 2 3], 50, 2);
%!test
%! % Unusual sizes: no rows give zeros and use nothing; no percentiles still use n numbers per
%! % draw; a negative B counts as 0.
%! before = rand ("state");
%! assert (weightquantdraw (zeros (0, 1), [5 50], 3), zeros (3, 2));
%! assert (size (weightquantdraw ([1; 2], [5 50], -1)), [0 2]);
%! assert (rand ("state"), before);
%! rand (7, 3); after = rand ("state");
%! rand ("state", before); assert (weightquantdraw ((1:7)', [], 3), zeros (3, 0));
%! assert (rand ("state"), after);
%!warning id=montemex:weightquantdraw:unsortedX weightquantdraw ([3; 1], 50);
%!error id=montemex:weightquantdraw:tooManyOutputs [a, b] = weightquantdraw (1)
%!error id=montemex:weightquantdraw:wrongInputCount weightquantdraw (1)
%!error id=montemex:weightquantdraw:wrongInputCount weightquantdraw (1, 5, 1, 1, 1)
%!error id=montemex:weightquantdraw:pNotVector weightquantdraw ([1; 2], [1 2; 3 4], [1 2])
%!error id=montemex:weightquantdraw:notRealNumeric weightquantdraw ([1; 2], {5})
%!error id=montemex:weightquantdraw:bNotScalar weightquantdraw ([1; 2], 5, [1 2], [1 1])
%!error id=montemex:weightquantdraw:badSize weightquantdraw ([1; 2], 5, Inf)
%!error id=montemex:weightquantdraw:wNotColumn weightquantdraw ([1; 2], 5, 2, [1 1])
%!error id=montemex:weightquantdraw:wSizeMismatch weightquantdraw ([1; 2], 5, 2, [1; 2; 3])
%!error id=montemex:weightquantdraw:tooLarge weightquantdraw (ones (1000, 1), 50, 1e12)
%!error id=montemex:weightquantdraw:tooManyDraws weightquantdraw (ones (10, 1), [], 1e12)

%!demo
%! % The Bayesian bootstrap of percentiles: 4000 posterior draws of the median and the 90th
%! % percentile of 50 skewed observations (sorted first: the function does not sort X).
%! randn ("state", 2); rand ("state", 2);
%! x = sort (exp (randn (50, 1)));
%! Q = weightquantdraw (x, [50 90], 4000);
%! for c = 1:2
%!   q = sort (Q(:, c));
%!   printf ("%dth percentile: sample %.3f, posterior mean %.3f, 95%% interval [%.3f, %.3f]\n", ...
%!           [50 90](c), interp1 ((0:49)' / 49, x, [0.5 0.9](c)), mean (q), q(100), q(3900));
%! end
