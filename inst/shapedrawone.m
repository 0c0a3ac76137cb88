%SHAPEDRAWONE  One gamma random variate by mean and degrees of freedom.
%
%   r = shapedrawone(a, v) returns one gamma variate with mean a and v degrees of freedom:
%   a * X / v for a chi-square variate X with v degrees of freedom (shape v/2, scale 2*a/v).
%   It is one element of shapedraw(a, v): from the same random state both give the same
%   value and use the same uniforms.
%
%   Arguments: a and v are real numeric or logical values of any class; only the first
%   element of each is used and their shapes are not looked at. The result is 1-by-1.
%
%   Random numbers: only rand; the uniforms of one standard gamma draw with shape v/2 (none
%   for v/2 < 0.00001; see "help shapedraw" for the methods and their uniforms). They are
%   exactly those of one-at-a-time rand() calls, and the generator is left where those
%   calls leave it.
%
%   Unusual v (nothing is drawn): NaN gives NaN; Inf and v of 2^1021 (about 2.2e307) or more
%   give a itself, the limit of the distribution; v/2 < 0.00001 gives (2*(v/2))*a/v, a up to
%   rounding (NaN for v = 0 and v = -Inf) except where v/2 or a product is subnormal, as in
%   shapedraw: shapedrawone(3, 4.9e-324) is 0.
%
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:shapedrawone:wrongInputCount  Wrong number of input arguments.
%                                            (exactly two; checked before the outputs)
%     montemex:shapedrawone:tooManyOutputs   Too many output arguments.
%     montemex:shapedrawone:notRealNumeric   Arguments must be full real numeric or logical
%                                            arrays. (complex, sparse, char, cell, struct)
%     montemex:shapedrawone:sizeMismatch     Size information is inconsistent.
%                                            (an empty a or v, as in shapedraw)
%     montemex:shapedrawone:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                            requested. (what a rand of the user's, an m-file
%                                            that shadows it, returned: nothing, another class,
%                                            a complex or sparse array, another size ("rand
%                                            returned an array of class int8 where real doubles
%                                            were requested."); or numbers no sampler can use:
%                                            "rand returned a number outside the open interval
%                                            (0, 1).", "rand returned numbers that a rejection
%                                            loop rejected 10000 times in a row.")
%
%   Legacy build: the same values from the same random numbers, for every input.
%
%   Example:
%     rand('state', 1);           % in MATLAB: rng(1)
%     r = shapedrawone(3, 8)     % mean 3, 8 degrees of freedom
%
%   See also shapedraw, recipshapedrawone.

%!test
%! % The same value as shapedraw (a, v) from the same state, and the same uniforms used, on
%! % every path and for the unusual v that draw nothing.
%! for av = [3 8; 2 0.5; 1 2.00001; 5 1e-6; NaN 4; 3 NaN; 3 Inf; 3 -4; 3 0; -2 7; 4 1]'
%!   rand ("state", 1); r = shapedrawone (av(1), av(2)); after = rand ("state");
%!   rand ("state", 1); assert (r, shapedraw (av(1), av(2)));
%!   assert (rand ("state"), after);
%! end
%!test
%! % Bit for bit against the host's stream where the shape is just above 1: g = -log (u);
%! % only first elements count.
%! rand ("state", 2); u = rand ();
%! rand ("state", 2); assert (shapedrawone (3, 2.00001), 2 * (-log (u)) * 3 / 2.00001);
%! rand ("state", 2); r = shapedrawone ([3 9; 9 9], int8 ([2 9]));
%! rand ("state", 2); assert (r, shapedrawone (3, 2));
%!error id=montemex:shapedrawone:wrongInputCount [a, b] = shapedrawone (1, 2, 3)
%!error id=montemex:shapedrawone:tooManyOutputs [a, b] = shapedrawone (1, 2)
%!error id=montemex:shapedrawone:sizeMismatch shapedrawone (1, [])
%!error id=montemex:shapedrawone:notRealNumeric shapedrawone (1 + 2i, 1)

%!demo
%! % One variate per call, as a Gibbs sampler draws them: the same numbers as one shapedraw
%! % call from the same state.
%! rand ("state", 7);
%! r = zeros (1, 5);
%! for k = 1:5
%!   r(k) = shapedrawone (3, 8);
%! end
%! rand ("state", 7);
%! R = shapedraw (3, 8, 1, 5);
%! printf ("one at a time: %s\none call:      %s\n", sprintf ("%8.4f", r), sprintf ("%8.4f", R));
