%RECIPSHAPEDRAWONE  One scaled inverse chi-square random variate.
%
%   r = recipshapedrawone(s, v) returns one scaled inverse chi-square variate with scale s
%   and v degrees of freedom: v * s / X for a chi-square variate X with v degrees of freedom
%   (inverse-gamma with shape v/2 and scale v*s/2). It is one element of recipshapedraw(s, v):
%   from the same random state both give the same value and use the same uniforms.
%
%   Arguments: s and v are real numeric or logical values of any class; only the first
%   element of each is used and their shapes are not looked at. The result is 1-by-1.
%
%   Random numbers: only rand; the uniforms of one standard gamma draw g with shape v/2 (none
%   for v/2 < 0.00001; see "help shapedraw" for the methods and their uniforms); r is then
%   s*v/2/g in that order. The uniforms are exactly those of one-at-a-time rand() calls, and
%   the generator is left where those calls leave it.
%
%   Unusual v (nothing is drawn): NaN gives NaN; Inf and v of 2^1021 (about 2.2e307) or more
%   give s itself, the limit of the distribution; v/2 < 0.00001 gives s*v/2/(v/2), s up to
%   rounding (NaN for v = 0 and v = -Inf) except where v/2 or a product is subnormal, as in
%   recipshapedraw: recipshapedrawone(3, 4.9e-324) is Inf.
%
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:recipshapedrawone:wrongInputCount  Wrong number of input arguments.
%                                                 (exactly two; checked before the outputs)
%     montemex:recipshapedrawone:tooManyOutputs   Too many output arguments.
%     montemex:recipshapedrawone:notRealNumeric   Arguments must be full real numeric or
%                                                 logical arrays.
%     montemex:recipshapedrawone:sizeMismatch     Size information is inconsistent.
%                                                 (an empty s or v, as in recipshapedraw)
%     montemex:recipshapedrawone:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                                 requested. (what a rand of the user's, an
%                                                 m-file that shadows it, returned: nothing,
%                                                 another class, a complex or sparse array,
%                                                 another size ("rand returned an array of class
%                                                 int8 where real doubles were requested."); or
%                                                 numbers no sampler can use: "rand returned a
%                                                 number outside the open interval (0, 1).",
%                                                 "rand returned numbers that a rejection loop
%                                                 rejected 10000 times in a row.")
%
%   Legacy build: the same values from the same random numbers, for every input.
%
%   Example:
%     rand('state', 1);                % in MATLAB: rng(1)
%     r = recipshapedrawone(2, 10)    % scale 2, 10 degrees of freedom
%
%   See also recipshapedraw, shapedrawone.

%!test
%! % The same value as recipshapedraw (s, v) from the same state, and the same uniforms used, on
%! % every path and for the unusual v that draw nothing.
%! for sv = [3 8; 2 0.5; 1 2.00001; 5 1e-6; NaN 4; 3 NaN; 3 Inf; 3 -4; 3 0; -2 7; 4 1]'
%!   rand ("state", 1); r = recipshapedrawone (sv(1), sv(2)); after = rand ("state");
%!   rand ("state", 1); assert (r, recipshapedraw (sv(1), sv(2)));
%!   assert (rand ("state"), after);
%! end
%!test
%! % Bit for bit against the host's stream where the shape is just above 1: g = -log (u);
%! % only first elements count.
%! rand ("state", 2); u = rand ();
%! rand ("state", 2); assert (recipshapedrawone (3, 2.00001), 3 * 2.00001 / 2 / (-log (u)));
%! rand ("state", 2); r = recipshapedrawone ([3 9; 9 9], int8 ([2 9]));
%! rand ("state", 2); assert (r, recipshapedrawone (3, 2));
%!error id=montemex:recipshapedrawone:wrongInputCount [a, b] = recipshapedrawone (1, 2, 3)
%!error id=montemex:recipshapedrawone:tooManyOutputs [a, b] = recipshapedrawone (1, 2)
%!error id=montemex:recipshapedrawone:sizeMismatch recipshapedrawone (1, [])
%!error id=montemex:recipshapedrawone:notRealNumeric recipshapedrawone (1 + 2i, 1)

%!demo
%! % A Gibbs sampler for the mean mu and variance s2 of normal data, one draw per step:
%! % mu | s2 is normal, s2 | mu is scaled inverse chi-square with n degrees of freedom.
%! randn ("state", 3); rand ("state", 3);
%! y = 5 + 2 * randn (30, 1); n = numel (y);
%! mu = 0; kept = zeros (2000, 2);
%! for k = 1:2500
%!   s2 = recipshapedrawone (mean ((y - mu) .^ 2), n);
%!   mu = mean (y) + sqrt (s2 / n) * randn ();
%!   if (k > 500) kept(k - 500, :) = [mu, s2]; end
%! end
%! printf ("posterior mean of mu %.3f (sample mean %.3f), of s2 %.3f (sample variance %.3f)\n", ...
%!         mean (kept(:, 1)), mean (y), mean (kept(:, 2)), var (y));
