%SIMPLEXDRAW  Points drawn uniformly from the probability simplex (flat Dirichlet draws).
%
%   R = simplexdraw(K) returns one draw, a K-by-1 column of nonnegative entries that sum to 1
%   (up to rounding), uniformly distributed on the simplex: a Dirichlet(1, ..., 1) variate.
%
%   R = simplexdraw(K, M) returns M independent draws as a K-by-M array, one draw per column.
%
%   Each column holds K standard exponentials -log(U) divided by their sum, added in ascending
%   order. Each entry on its own follows Beta(1, K - 1): P(R(i, j) <= x) = 1 - (1 - x)^(K - 1).
%
%   Random numbers: exactly one call rand(K, M) (rand(K, 1) with one argument), whose uniforms
%   are used in column-major order, column j for draw j. After rand('state', s);
%   R = simplexdraw(3, 2) the result equals E ./ S for rand('state', s); E = -log(rand(3, 2))
%   and S the column sums of E taken top to bottom, bit for bit, and the generator is left
%   where rand(3, 2) leaves it (in MATLAB seed with rng(s) instead).
%
%   Arguments:
%     K, M  sizes, truncated toward zero (2.9 is 2), real numeric or logical of any class.
%           An array whose first two dimensions are at most 1 counts as a scalar (its first
%           element). Negative sizes count as 0, as in rand and zeros, so simplexdraw(-2, -3)
%           returns a 0-by-0 array; K = 0 or M = 0 returns an empty K-by-M array and uses no
%           random numbers. K = 1 gives ones (every draw is e/e).
%
%   Errors (identifier, message), in the order they are checked:
%     montemex:simplexdraw:tooManyOutputs   Too many output arguments.
%     montemex:simplexdraw:wrongInputCount  Wrong number of input arguments.
%     montemex:simplexdraw:firstNotScalar   First argument must be a scalar.
%     montemex:simplexdraw:badSize          Size arguments must be finite real numbers.
%                                           (K or M NaN, Inf, empty or not real numeric;
%                                           K is read before M's shape is checked)
%     montemex:simplexdraw:secondNotScalar  Second argument must be a scalar.
%     montemex:simplexdraw:sizeTooLarge     Size arguments are too large.
%     montemex:simplexdraw:tooLarge         This call needs 24 GB of memory at once, more than
%                                           the 22.7 GB a call may use here. (with the call's
%                                           own figures: see Limits below)
%     montemex:simplexdraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                           requested. (what a rand of the user's, an m-file
%                                           that shadows it, returned: nothing, another class, a
%                                           complex or sparse array, another size ("rand
%                                           returned an array of class int8 where real doubles
%                                           were requested."); or numbers no sampler can use:
%                                           "rand returned a number outside the open interval
%                                           (0, 1).", "rand returned numbers that a rejection
%                                           loop rejected 10000 times in a row.")
%   All but badHostResult are raised before any random number is drawn.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:simplexdraw:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "simplexdraw: failed to allocate N bytes of memory"
%   with an empty identifier). Ctrl-C ends a long call within a few milliseconds in Octave,
%   with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Legacy build: identical results.
%
%   Example:
%     rand('state', 1);          % in MATLAB: rng(1)
%     R = simplexdraw(3, 5)     % 3-by-5: five points of the simplex, one per column
%     sum(R)                    % 1 1 1 1 1
%
%   See also rand, weightavgdraw.

%!test
%! % Bit for bit E ./ S for E = -log (rand (K, M)) and S the column sums of E taken top to
%! % bottom, and the generator left where rand (K, M) leaves it; sizes are truncated, one
%! % argument gives one column, other classes are read as doubles.
%! rand ("state", 1); E = -log (rand (4, 5)); after = rand ("state");
%! expected = E ./ (((E(1, :) + E(2, :)) + E(3, :)) + E(4, :));
%! rand ("state", 1); assert (simplexdraw (4, 5), expected);
%! assert (rand ("state"), after);
%! rand ("state", 1); assert (simplexdraw (4.9, 5.2), expected);
%! rand ("state", 1); assert (simplexdraw (int8 (4), single (5)), expected);
%! rand ("state", 1); assert (simplexdraw (4), expected(:, 1));
%!test
%! % K = 1 gives ones and still uses M numbers; empty and negative sizes use none.
%! rand ("state", 2); rand (1, 3); after = rand ("state");
%! rand ("state", 2); assert (simplexdraw (1, 3), [1 1 1]);
%! assert (rand ("state"), after);
%! assert (size (simplexdraw (3, 0)), [3 0]);
%! assert (size (simplexdraw (-2, 3)), [0 3]);
%! assert (size (simplexdraw (-2, -3)), [0 0]);
%! assert (rand ("state"), after);
%!test
%! % Seeded smoke test: each entry follows Beta(1, K-1), P(R <= x) = 1 - (1-x)^(K-1)
%! % (Kolmogorov-Smirnov distance of 20000 entries).
%! rand ("state", 3); n = 20000;
%! R = simplexdraw (4, n);
%! F = sort (1 - (1 - R(2, :)') .^ 3);
%! assert (max (max (F - (0:n-1)' / n), max ((1:n)' / n - F)) < 1.95 / sqrt (n));
%!error id=montemex:simplexdraw:tooManyOutputs [a, b] = simplexdraw ()
%!error id=montemex:simplexdraw:wrongInputCount simplexdraw ()
%!error id=montemex:simplexdraw:wrongInputCount simplexdraw (1, 2, 3)
%!error id=montemex:simplexdraw:firstNotScalar simplexdraw ([1 2], [1 2])
%!error id=montemex:simplexdraw:secondNotScalar simplexdraw (2, [1 2])
%!error id=montemex:simplexdraw:badSize simplexdraw ([], 2)
%!error id=montemex:simplexdraw:badSize simplexdraw (2, NaN)
%!error id=montemex:simplexdraw:badSize simplexdraw ("a")
%!error id=montemex:simplexdraw:sizeTooLarge simplexdraw (1e300, 1e300)
%!error id=montemex:simplexdraw:tooLarge simplexdraw (1e6, 1e6)

%!demo
%! % 3000 points uniform on the 3-simplex (flat Dirichlet): each column sums to 1, and each
%! % coordinate follows Beta(1, 2), P(R(i, j) <= x) = 1 - (1 - x)^2.
%! rand ("state", 1);
%! R = simplexdraw (3, 3000);
%! printf ("largest |column sum - 1|: %.2g\n", max (abs (sum (R) - 1)));
%! printf ("P(R(1, j) <= 0.5): %.3f (exact 0.75)\n", mean (R(1, :) <= 0.5));
%! plot (R(1, :) + R(2, :) / 2, R(2, :) * sqrt (3) / 2, ".", "markersize", 3);
%! hold on; plot ([0 1 0.5 0], [0 0 sqrt(3)/2 0], "k", "linewidth", 2); hold off;
%! axis equal; axis off;
%! title ("simplexdraw (3, 3000): points spread evenly over the triangle");
