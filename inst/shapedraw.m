%SHAPEDRAW  Gamma random variates by mean and degrees of freedom.
%
%   R = shapedraw(A, V) returns gamma variates with means A and V degrees of freedom: each
%   element is A .* X ./ V for a chi-square variate X with V degrees of freedom, that is a
%   gamma variate with shape V/2 and scale 2*A/V (mean A, variance 2*A.^2./V). R takes the
%   first two dimensions of A, or of V when A is a scalar; two scalars give one variate.
%
%   R = shapedraw(A, V, M, N) returns an M-by-N array. A and V are then each a scalar or an
%   array of exactly M rows and N columns. Without M and N, two arrays A and V must agree in
%   their first two dimensions.
%
%   Arguments:
%     A     means, real numeric or logical, any class (converted to double); used as given
%           (a negative A gives negative values, NaN gives NaN).
%     V     degrees of freedom, same classes. See "Unusual degrees of freedom" below.
%     M, N  sizes, truncated toward zero (2.9 is 2); negative sizes count as 0, as in rand and
%           zeros. Only dimensions one and two of A and V are looked at.
%
%   Random numbers: only rand, never randn. Element by element in column-major order, each
%   element uses the uniforms of one standard gamma draw g with shape k = V/2, and is then
%   (2*g)*A/V, evaluated in that order:
%     k < 0.00001              none; g = k
%     0.00001 <= k <= 1        one uniform u, then g1 by the rejection method for shape k+1,
%                              and g = g1 * u^(1/k)
%     1 < k < 1.00001          one uniform u, g = -log(u)
%     k >= 1.00001             rejection method (Best, 1978): two uniforms u, v per attempt,
%                              u first; with b = k-1, c = 3*k-0.75, w = u*(1-u),
%                              y = sqrt(c/w)*(u-0.5) and x = b+y, a candidate with x >= 0 is
%                              accepted when z = 64*w^3*v^2 <= 1-2*y^2/x, or else when
%                              2*(b*log(x/b)-y) >= log(z); g = x.
%   Every g below 1e-15 becomes 1e-15 (for k >= 0.00001), so a variate that underflows gives
%   2e-15*A/V rather than 0. Uniforms are fetched in blocks (rand(K, 1)) only when all of
%   them are certain to be used, so R is bit for bit what one-at-a-time rand() calls give,
%   and the generator is left exactly where those calls leave it.
%
%   Unusual degrees of freedom (nothing is drawn for any of these):
%     V NaN                    NaN.
%     V = Inf, or V of 2^1021 (about 2.2e307) or more: A itself, the limit
%                              of the distribution (its relative spread sqrt(2/V) is far
%                              below the precision of a double).
%     V/2 < 0.00001            g = V/2, so the element is (2*(V/2))*A/V: A up to rounding
%                              for small positive and for negative V, NaN for V = 0 and
%                              V = -Inf. Where V/2 or a product is subnormal (below about
%                              2.2e-308 in magnitude) it loses digits, and the element can
%                              be far from A: shapedraw(3, 4.9e-324) is 0 (V/2 rounds to
%                              0) and shapedraw(3, 3*4.9e-324) is 4.
%
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:shapedraw:tooManyOutputs   Too many output arguments.
%     montemex:shapedraw:wrongInputCount  Wrong number of input arguments.
%                                         (two or four arguments; checked after the outputs)
%     montemex:shapedraw:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                         (complex, sparse, char, cell and struct A or V)
%     montemex:shapedraw:badSize          Size arguments must be finite real numbers.
%                                         (NaN, Inf, empty or non-numeric M or N)
%     montemex:shapedraw:sizeTooLarge     Size arguments are too large.
%     montemex:shapedraw:sizeMismatch     Size information is inconsistent.
%                                         (arrays A and V of different sizes, an array that
%                                         is not M-by-N, or an empty A or V with a non-empty
%                                         result)
%     montemex:shapedraw:tooLarge         This call needs 24 GB of memory at once, more than the
%                                         22.7 GB a call may use here. (with the call's own
%                                         figures: see Limits below)
%     montemex:shapedraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                         requested. (what a rand of the user's, an m-file that
%                                         shadows it, returned: nothing, another class, a
%                                         complex or sparse array, another size ("rand returned
%                                         an array of class int8 where real doubles were
%                                         requested."); or numbers no sampler can use: "rand
%                                         returned a number outside the open interval (0, 1).",
%                                         "rand returned numbers that a rejection loop rejected
%                                         10000 times in a row.")
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:shapedraw:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "shapedraw: failed to allocate N bytes of memory"
%   with an empty identifier). Ctrl-C ends a long call within a few milliseconds in Octave,
%   with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Legacy build: the same values from the same random numbers, for every input.
%
%   Example:
%     rand('state', 1);              % in MATLAB: rng(1)
%     R = shapedraw(3, 8, 2, 4)      % 2-by-4, mean 3, 8 degrees of freedom
%
%   See also shapedrawone, recipshapedraw, randg.

%!test
%! % Bit for bit the rejection method above for shape 4, drawn here with rand () one number at
%! % a time, and the generator left where those calls leave it.
%! rand ("state", 1); R = shapedraw (3, 8, 2, 3); after = rand ("state");
%! rand ("state", 1); E = zeros (2, 3); k = 4; b = k - 1; c = 3 * k - 0.75;
%! for i = 1:6
%!   do
%!     u = rand (); v = rand (); w = u * (1 - u); y = sqrt (c / w) * (u - 0.5); x = b + y;
%!     z = 64 * w * w * w * v * v;
%!   until (x >= 0 && (z <= 1 - (2 * y * y) / x || 2 * (b * log (x / b) - y) >= log (z)))
%!   E(i) = 2 * x * 3 / 8;
%! end
%! assert (R, E);
%! assert (rand ("state"), after);
%!test
%! % Shapes just above 1 take one uniform each, g = -log (u); arrays of means.
%! A = [1 -2 0.5; 3 10 7];
%! rand ("state", 2); U = rand (2, 3);
%! rand ("state", 2); assert (shapedraw (A, 2.00001), 2 * (-log (U)) .* A / 2.00001);
%!test
%! % Unusual degrees of freedom draw nothing; negative sizes give empty results.
%! before = rand ("state");
%! assert (shapedraw (3, [NaN Inf 0 -Inf]), [NaN 3 NaN NaN]);
%! assert (size (shapedraw (1, 2, -3, 4)), [0 4]);
%! assert (rand ("state"), before);
%!test
%! % Seeded smoke test: R * V / 2 follows the gamma distribution with shape V/2 on every path
%! % (Kolmogorov-Smirnov distance of 20000 draws).
%! rand ("state", 3); n = 20000;
%! for v = [0.5 2.00001 8]
%!   F = gammainc (sort (shapedraw (1, v, n, 1)) * v / 2, v / 2);
%!   assert (max (max (F - (0:n-1)' / n), max ((1:n)' / n - F)) < 1.95 / sqrt (n));
%! end
%!error id=montemex:shapedraw:tooManyOutputs [a, b] = shapedraw (1)
%!error id=montemex:shapedraw:wrongInputCount shapedraw (1, 2, 3)
%!error id=montemex:shapedraw:notRealNumeric shapedraw ("a", 1)
%!error id=montemex:shapedraw:badSize shapedraw (1, 1, NaN, 2)
%!error id=montemex:shapedraw:sizeTooLarge shapedraw (3, 8, 1e300, 1e300)
%!error id=montemex:shapedraw:sizeMismatch shapedraw (ones (2, 3), ones (3, 2))
%!error id=montemex:shapedraw:sizeMismatch shapedraw (ones (3, 4), 1, 3, 5)
%!error id=montemex:shapedraw:sizeMismatch shapedraw (1, [], 2, 2)
%!error id=montemex:shapedraw:tooLarge shapedraw (3, 8, 1e6, 1e6)

%!demo
%! % 20000 variates with mean 3 and 8 degrees of freedom (shape 4, scale 3/4) against the
%! % gamma density.
%! rand ("state", 1);
%! R = shapedraw (3, 8, 20000, 1);
%! printf ("mean %.3f (exact 3), variance %.3f (exact 2*3^2/8 = 2.25)\n", mean (R), var (R));
%! [counts, centres] = hist (R, 60);
%! bar (centres, counts / (numel (R) * (centres(2) - centres(1))), 1);
%! x = linspace (0, max (R), 300);
%! hold on; plot (x, x .^ 3 .* exp (-x / 0.75) / (gamma (4) * 0.75 ^ 4), "r", "linewidth", 2); hold off;
%! title ("shapedraw (3, 8, 20000, 1) against the gamma density");
