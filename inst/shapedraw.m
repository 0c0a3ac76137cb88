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
%   the environment variable MONTEMEX_MEMORY_LIMIT, in bytes, replaces that limit. A smaller
%   request the host still cannot serve ends with the host's own error (Octave: "out of memory
%   or dimension too large for Octave's index type", or "shapedraw: failed to allocate N bytes
%   of memory" with an empty identifier). Ctrl-C ends a long call within a few milliseconds in
%   Octave, with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Legacy build: the same values from the same random numbers, for every input.
%
%   Example:
%     rand("state", 1); R = shapedraw(3, 8, 2, 4);   % 2-by-4, mean 3, 8 degrees of freedom
%
%   See also shapedrawone, recipshapedraw, randg.
