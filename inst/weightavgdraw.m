%WEIGHTAVGDRAW  Bayesian bootstrap draws of the column means of a sample.
%
%   M = weightavgdraw(X) returns one posterior draw of the column means of X under the
%   Bayesian bootstrap, a 1-by-m row. X is n-by-m, one observation per row.
%
%   M = weightavgdraw(X, B) returns B draws, a B-by-m array with draw s in row s.
%
%   M = weightavgdraw(X, B, W) scales each row's exponential by the prior weight W(i); W is a
%   column of n values, used as given (zero and negative weights too). A W of ones gives the
%   same result as no W.
%
%   Draw s gives the rows the weights g = e / sum(e), e(i) = -log(U(i)) (times W(i)) for n
%   uniforms U, and M(s, :) is the sum over i = 1, ..., n, in that order, of X(i, :) * g(i).
%   Without W, g is uniform on the simplex (a flat Dirichlet draw), so the mean of many draws
%   approaches mean(X) and each draw has variance var(X, 1) / (n + 1) per column.
%
%   Random numbers: n uniforms per draw, draw s taking the s-th run of n, in the order of
%   rand(n, B). They are fetched with rand(n, b) calls for b consecutive draws at a time (at
%   most about a million numbers per call), which leave the generator exactly where B calls
%   of rand(n, 1) leave it. After rand('state', s); M = weightavgdraw(X, B) the result equals,
%   bit for bit, this code run after rand('state', s) (in MATLAB seed with rng(s) instead):
%       M = zeros(B, m);
%       for s = 1:B
%         e = -log(rand(n, 1));            % e = -log(rand(n, 1)) .* W with prior weights
%         total = 0; for i = 1:n, total = total + e(i); end
%         g = e / total;
%         for i = 1:n, M(s, :) = M(s, :) + X(i, :) * g(i); end
%       end
%
%   Arguments:
%     X  real numeric or logical array of any class (converted to double); only its first
%        two dimensions count. Values are not checked: NaN and Inf spread into the sums.
%     B  number of draws, truncated toward zero (3.7 makes 3 draws, 0.4 none); a negative B
%        counts as 0 and returns a 0-by-m array. Default 1.
%     W  real numeric or logical column of n prior weights. All zero weights give NaN draws
%        (0/0).
%
%   Unusual inputs:
%     An X with no rows returns B-by-m zeros and uses no random numbers.
%     An X with no columns returns a B-by-0 array and still uses n numbers per draw.
%     An X whose third or later dimension is 0 has no values: B-by-m zeros, n numbers used
%     per draw. Likewise a W whose third or later dimension is 0 holds no weights and fails
%     the length check.
%
%   Errors (identifier, message), in the order they are checked:
%     montemex:weightavgdraw:tooManyOutputs   Too many output arguments.
%     montemex:weightavgdraw:wrongInputCount  Wrong number of input arguments.
%     montemex:weightavgdraw:bNotScalar       B must be a scalar.
%     montemex:weightavgdraw:badSize          Size arguments must be finite real numbers.
%                                             (B NaN, Inf, empty or not real numeric)
%     montemex:weightavgdraw:sizeTooLarge     Size arguments are too large.
%                                             (B beyond what the host can index; B times m
%                                             is checked last, after the classes)
%     montemex:weightavgdraw:wNotColumn       W must be a column vector.
%     montemex:weightavgdraw:wLengthMismatch  W must have same length as X.
%     montemex:weightavgdraw:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                             (complex, sparse, char, cell or struct W, then X)
%     montemex:weightavgdraw:tooLarge         This call needs 24 GB of memory at once, more than
%                                             the 22.7 GB a call may use here. (with the call's
%                                             own figures: see Limits below)
%     montemex:weightavgdraw:tooManyDraws     The result is empty, yet the call would draw 1e+13
%                                             random numbers for it; at most 4294967296 are
%                                             drawn for an empty result. (see Limits below)
%     montemex:weightavgdraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                             requested. (what a rand of the user's, an m-file
%                                             that shadows it, returned: nothing, another class,
%                                             a complex or sparse array, another size ("rand
%                                             returned an array of class int8 where real doubles
%                                             were requested."); or numbers no sampler can use:
%                                             "rand returned a number outside the open interval
%                                             (0, 1).", "rand returned numbers that a rejection
%                                             loop rejected 10000 times in a row.")
%   All but badHostResult are raised before any random number is drawn.
%
%   Warning: an X of one row and several columns is one observation of several variables, so
%   every draw returns that row. Typed where a sample was meant (weightavgdraw(x, B) with x a
%   row), that is the commonest slip, so such a call warns montemex:weightavgdraw:oneRow, "X is
%   one row, and each row is one observation: every draw returns that row (pass X(:) for a
%   sample in a row).", and returns the row all the same. The warning comes once the call has
%   drawn its random numbers, only when the result has values: made an error
%   (warning('error', id)), it ends the call with no result and the generator where the call
%   would have left it; warning('off', id) silences it.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:weightavgdraw:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "weightavgdraw: failed to allocate N bytes of
%   memory" with an empty identifier). Ctrl-C ends a long call within a few milliseconds in
%   Octave, with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce. A call whose result is empty still draws its numbers, n per draw, so that the
%   generator ends where it would otherwise; more than 2^32 of them (half a minute of drawing
%   for nothing to see) are refused with tooManyDraws.
%
%   Legacy build: identical results.
%
%   Example:
%     randn('state', 1); rand('state', 1);   % in MATLAB: rng(1)
%     x = randn(50, 2);                      % 50 observations of two variables
%     M = weightavgdraw(x, 4000);            % 4000-by-2: posterior draws of the two means
%     [mean(M); std(M)]                      % near mean(x) and std(x) / sqrt(51)
%
%   See also weightquantdraw, simplexdraw, rand.

%!test
%! % Bit for bit against the host's stream: draw s weighs row i by e(i) / total, e = -log (U)
%! % .* W for the column s of rand (n, B), sums taken top to bottom; the generator is left
%! % where rand (n, B) leaves it. A W of ones is no W; B is truncated; the default is one draw.
%! X = [1 10; -2 20; 7 -30]; W = [1; 2.5; 0.5];
%! rand ("state", 1); U = rand (3, 4); after = rand ("state");
%! for w = {W, ones(3, 1)}
%!   E = -log (U) .* w{1}; t = (E(1, :) + E(2, :)) + E(3, :);
%!   expected = ((E(1, :) ./ t)' .* X(1, :) + (E(2, :) ./ t)' .* X(2, :)) + (E(3, :) ./ t)' .* X(3, :);
%!   rand ("state", 1); assert (weightavgdraw (X, 4.9, w{1}), expected);
%!   assert (rand ("state"), after);
%! end
%! rand ("state", 1); assert (weightavgdraw (int16 (X), uint8 (4)), expected);
%! rand ("state", 1); assert (weightavgdraw (X), expected(1, :));
%!test
%! % Unusual sizes: no draws for B below 1 or for X without rows; an X without columns still
%! % uses n numbers per draw.
%! before = rand ("state");
%! assert (size (weightavgdraw (ones (3, 2), 0.4)), [0 2]);
%! assert (size (weightavgdraw (ones (3, 2), -2.5)), [0 2]);
%! assert (weightavgdraw (zeros (0, 2), 4), zeros (4, 2));
%! assert (rand ("state"), before);
%! rand (5, 3); after = rand ("state");
%! rand ("state", before); assert (size (weightavgdraw (zeros (5, 0), 3)), [3 0]);
%! assert (rand ("state"), after);
%!test
%! % One row is one observation, returned exactly by every draw, with a warning (a row typed
%! % where a column was meant); a column, a single value and an empty result do not warn.
%! warning ("off", "montemex:weightavgdraw:oneRow", "local");
%! assert (weightavgdraw ([3 -1 2], 4), repmat ([3 -1 2], 4, 1));
%! warning ("on", "montemex:weightavgdraw:oneRow", "local");
%! lastwarn ("");
%! weightavgdraw ([1; 2; 3], 2);
%! weightavgdraw (7, 2);
%! weightavgdraw ([1 2 3], 0);
%! assert (lastwarn (), "");
%!warning id=montemex:weightavgdraw:oneRow weightavgdraw ([1 2 3], 2);
%!error id=montemex:weightavgdraw:tooManyOutputs [a, b] = weightavgdraw ()
%!error id=montemex:weightavgdraw:wrongInputCount weightavgdraw ()
%!error id=montemex:weightavgdraw:wrongInputCount weightavgdraw (1, 1, 1, 1)
%!error id=montemex:weightavgdraw:bNotScalar weightavgdraw (ones (3, 2), [1 2], ones (1, 3))
%!error id=montemex:weightavgdraw:badSize weightavgdraw (ones (3, 2), NaN)
%!error id=montemex:weightavgdraw:sizeTooLarge weightavgdraw (ones (3, 2), 1e300)
%!error id=montemex:weightavgdraw:wNotColumn weightavgdraw (ones (3, 2), 2, ones (1, 3))
%!error id=montemex:weightavgdraw:wLengthMismatch weightavgdraw (ones (3, 2), 2, [1; 2])
%!error id=montemex:weightavgdraw:notRealNumeric weightavgdraw (sparse (ones (3, 2)))
%!error id=montemex:weightavgdraw:tooLarge weightavgdraw (ones (1000, 1), 1e12)
%!error id=montemex:weightavgdraw:tooManyDraws weightavgdraw (zeros (10, 0), 1e12)

%!demo
%! % The Bayesian bootstrap of a mean: 4000 posterior draws of the mean of 30 skewed
%! % observations, against the classical normal-theory interval.
%! randn ("state", 1); rand ("state", 1);
%! x = exp (randn (30, 1));
%! M = sort (weightavgdraw (x, 4000));
%! printf ("sample mean %.3f; posterior mean %.3f, 95%% interval [%.3f, %.3f]\n", ...
%!         mean (x), mean (M), M(100), M(3900));
%! printf ("mean -+ 1.96 standard errors:               [%.3f, %.3f]\n", ...
%!         mean (x) - 1.96 * std (x) / sqrt (30), mean (x) + 1.96 * std (x) / sqrt (30));
%! hist (M, 60);
%! title ("weightavgdraw: posterior draws of the mean");
