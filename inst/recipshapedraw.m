%RECIPSHAPEDRAW  Scaled inverse chi-square random variates.
%
%   R = recipshapedraw(S, V) returns scaled inverse chi-square variates with scales S and V
%   degrees of freedom: each element is V .* S ./ X for a chi-square variate X with V degrees
%   of freedom, that is an inverse-gamma variate with shape V/2 and scale V.*S/2 (mean
%   V.*S./(V-2) for V > 2). R takes the first two dimensions of S, or of V when S is a scalar;
%   two scalars give one variate.
%
%   R = recipshapedraw(S, V, M, N) returns an M-by-N array. S and V are then each a scalar or
%   an array of exactly M rows and N columns. Without M and N, two arrays S and V must agree
%   in their first two dimensions.
%
%   Arguments:
%     S     scales, real numeric or logical, any class (converted to double); used as given.
%     V     degrees of freedom, same classes. See "Unusual degrees of freedom" below.
%     M, N  sizes, truncated toward zero (2.9 is 2); negative sizes count as 0, as in rand and
%           zeros. Only dimensions one and two of S and V are looked at.
%
%   Random numbers: only rand, never randn. Element by element in column-major order, each
%   element uses the uniforms of one standard gamma draw g with shape k = V/2 (exactly as in
%   shapedraw: see "help shapedraw" for the four methods and their uniforms), and is then
%   S*V/2/g, evaluated in that order. g is never below 1e-15 for k >= 0.00001, so a variate
%   whose g underflows gives the large but finite S*V/2/1e-15. Uniforms are fetched in blocks
%   only when all of them are certain to be used, so R is bit for bit what one-at-a-time
%   rand() calls give, and the generator is left exactly where those calls leave it.
%
%   Unusual degrees of freedom (nothing is drawn for any of these):
%     V NaN                    NaN.
%     V = Inf, or V of 2^1021 (about 2.2e307) or more: S itself, the limit
%                              of the distribution.
%     V/2 < 0.00001            g = V/2, so the element is S*V/2/(V/2): S up to rounding
%                              for small positive and for negative V, NaN for V = 0 and
%                              V = -Inf. Where V/2 or a product is subnormal (below about
%                              2.2e-308 in magnitude) it loses digits, and the element can
%                              be far from S: recipshapedraw(3, 4.9e-324) is Inf (V/2
%                              rounds to 0) and recipshapedraw(3, 3*4.9e-324) is 2.
%
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:recipshapedraw:tooManyOutputs   Too many output arguments.
%     montemex:recipshapedraw:wrongInputCount  Wrong number of input arguments.
%                                              (two or four arguments; checked after the
%                                              outputs)
%     montemex:recipshapedraw:notRealNumeric   Arguments must be full real numeric or logical
%                                              arrays. (complex, sparse, char, cell, struct)
%     montemex:recipshapedraw:badSize          Size arguments must be finite real numbers.
%     montemex:recipshapedraw:sizeTooLarge     Size arguments are too large.
%     montemex:recipshapedraw:sizeMismatch     Size information is inconsistent.
%                                              (arrays S and V of different sizes, an array
%                                              that is not M-by-N, or an empty S or V with a
%                                              non-empty result)
%     montemex:recipshapedraw:tooLarge         This call needs 24 GB of memory at once, more
%                                              than the 22.7 GB a call may use here. (with the
%                                              call's own figures: see Limits below)
%     montemex:recipshapedraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                              requested. (what a rand of the user's, an m-file
%                                              that shadows it, returned: nothing, another
%                                              class, a complex or sparse array, another size
%                                              ("rand returned an array of class int8 where real
%                                              doubles were requested."); or numbers no sampler
%                                              can use: "rand returned a number outside the open
%                                              interval (0, 1).", "rand returned numbers that a
%                                              rejection loop rejected 10000 times in a row.")
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:recipshapedraw:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "recipshapedraw: failed to allocate N bytes of
%   memory" with an empty identifier). Ctrl-C ends a long call within a few milliseconds in
%   Octave, with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Legacy build: the same values from the same random numbers, for every input.
%
%   Example:
%     rand('state', 1);                   % in MATLAB: rng(1)
%     R = recipshapedraw(2, 10, 3, 1)    % 3-by-1, scale 2, 10 degrees of freedom
%
%   See also recipshapedrawone, shapedraw.

%!test
%! % Shapes just above 1 take one uniform each, g = -log (u): S*V/2/g bit for bit, with arrays
%! % of scales, and the generator left where rand (2, 3) leaves it.
%! S = [1 -2 0.5; 3 10 7];
%! rand ("state", 1); U = rand (2, 3); after = rand ("state");
%! rand ("state", 1); assert (recipshapedraw (S, 2.00001), S * 2.00001 / 2 ./ (-log (U)));
%! assert (rand ("state"), after);
%! rand ("state", 1); assert (recipshapedraw (int8 (4), 2.00001, 2.9, 3.2), 4 * 2.00001 / 2 ./ (-log (U)));
%!test
%! % Unusual degrees of freedom draw nothing; negative sizes give empty results.
%! before = rand ("state");
%! assert (recipshapedraw (3, [NaN Inf 0 -Inf]), [NaN 3 NaN NaN]);
%! assert (size (recipshapedraw (1, 2, -3, 4)), [0 4]);
%! assert (rand ("state"), before);
%!test
%! % Seeded smoke test: V*S./R follows the chi-square distribution with V degrees of freedom on
%! % every path (Kolmogorov-Smirnov distance of 20000 draws).
%! rand ("state", 2); n = 20000;
%! for v = [0.5 2.00001 8]
%!   F = sort (gammainc (v ./ (2 * recipshapedraw (1, v, n, 1)), v / 2));
%!   assert (max (max (F - (0:n-1)' / n), max ((1:n)' / n - F)) < 1.95 / sqrt (n));
%! end
%!error id=montemex:recipshapedraw:tooManyOutputs [a, b] = recipshapedraw (1)
%!error id=montemex:recipshapedraw:wrongInputCount recipshapedraw (1, 2, 3)
%!error id=montemex:recipshapedraw:notRealNumeric recipshapedraw ("a", 1)
%!error id=montemex:recipshapedraw:badSize recipshapedraw (1, 1, NaN, 2)
%!error id=montemex:recipshapedraw:sizeTooLarge recipshapedraw (3, 8, 1e300, 1e300)
%!error id=montemex:recipshapedraw:sizeMismatch recipshapedraw (ones (2, 3), ones (3, 2))
%!error id=montemex:recipshapedraw:sizeMismatch recipshapedraw (ones (3, 4), 1, 3, 5)
%!error id=montemex:recipshapedraw:sizeMismatch recipshapedraw (1, [], 2, 2)
%!error id=montemex:recipshapedraw:tooLarge recipshapedraw (3, 8, 1e6, 1e6)

%!demo
%! % The posterior of a normal variance: with n observations y of known mean 0 and the
%! % prior p(sigma^2) proportional to 1/sigma^2, sigma^2 given y is scaled inverse chi-square
%! % with n degrees of freedom and scale mean (y.^2).
%! randn ("state", 1); rand ("state", 1);
%! y = 2 * randn (20, 1);                        % true variance 4
%! s2 = recipshapedraw (mean (y .^ 2), numel (y), 10000, 1);
%! q = sort (s2)([500 5000 9500]);
%! printf ("sample variance %.2f; posterior median %.2f, 90%% interval [%.2f, %.2f]\n", ...
%!         mean (y .^ 2), q(2), q(1), q(3));
%! hist (s2, 80);
%! title ("recipshapedraw: posterior draws of a variance (true value 4)");
