%WAITDRAW  Exponential random variates with given means.
%
%   R = waitdraw(MU) returns an array of exponential variates the size of the first two
%   dimensions of MU; element i has mean MU(i). A scalar MU gives one variate.
%
%   R = waitdraw(MU, M, N) returns an M-by-N array. MU is then a scalar (every element has
%   mean MU) or an array of exactly M rows and N columns.
%
%   Each element is -MU .* log(U) for a uniform U, so for MU > 0 its density is
%   exp(-x/MU)/MU on x >= 0, with mean MU and variance MU^2.
%
%   Random numbers: exactly one call rand(M, N) (rand(size(MU, 1), size(MU, 2)) without size
%   arguments), whose uniforms become the result in column-major order. After
%   rand('state', s); R = waitdraw(1, 3, 4) the result equals -log(U) for
%   rand('state', s); U = rand(3, 4), bit for bit, and the generator is left where rand(3, 4)
%   leaves it (in MATLAB seed with rng(s) instead).
%
%   Arguments:
%     MU    real numeric or logical, any class (converted to double). Values are not checked:
%           0 gives zeros, negative means give non-positive values, NaN gives NaN.
%     M, N  sizes, truncated toward zero (2.9 is 2); negative sizes count as 0, as in rand
%           and zeros. Only dimensions one and two of MU are looked at; a 2-by-3-by-4 MU
%           gives a 2-by-3 result from its first six elements.
%
%   Errors (identifier, message):
%     montemex:waitdraw:tooManyOutputs   Too many output arguments.
%     montemex:waitdraw:wrongInputCount  Wrong number of input arguments.
%                                        (one or three arguments; checked after the outputs)
%     montemex:waitdraw:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                        (complex, sparse, char, cell and struct MU)
%     montemex:waitdraw:badSize          Size arguments must be finite real numbers.
%                                        (NaN, Inf, empty or non-numeric M or N)
%     montemex:waitdraw:sizeTooLarge     Size arguments are too large.
%     montemex:waitdraw:sizeMismatch     Size information is inconsistent.
%                                        (an array MU that is not M-by-N, or an empty MU
%                                        with a non-empty M-by-N)
%     montemex:waitdraw:tooLarge         This call needs 24 GB of memory at once, more than the
%                                        22.7 GB a call may use here. (with the call's own
%                                        figures: see Limits below)
%     montemex:waitdraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                        requested. (what a rand of the user's, an m-file that
%                                        shadows it, returned: nothing, another class, a complex
%                                        or sparse array, another size ("rand returned an array
%                                        of class int8 where real doubles were requested."); or
%                                        numbers no sampler can use: "rand returned a number
%                                        outside the open interval (0, 1).", "rand returned
%                                        numbers that a rejection loop rejected 10000 times in a
%                                        row.")
%   All but badHostResult are raised before any random number is drawn.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:waitdraw:memoryLimit, which names it and the default that applies, before anything
%   is drawn, once per value while the function stays loaded. A smaller request the host still
%   cannot serve ends with the host's own error (Octave: "out of memory or dimension too large
%   for Octave's index type", or "waitdraw: failed to allocate N bytes of memory" with an empty
%   identifier). Ctrl-C ends a long call within a few milliseconds in Octave, with no result;
%   the generators have then moved on by what was drawn, so reseed to reproduce.
%
%   Legacy build: a scalar MU that is NaN counts as equal to 1 there, so it returns standard
%   exponentials where the current build returns NaN.
%
%   Example:
%     rand('state', 1);         % in MATLAB: rng(1)
%     R = waitdraw(2, 3, 4)     % 3-by-4, mean 2
%
%   See also rand.

%!test
%! % Bit for bit -MU .* log (U) from one rand (M, N), and the generator left where that call
%! % leaves it; sizes are truncated, other classes read as doubles.
%! rand ("state", 1); U = rand (3, 4); after = rand ("state");
%! rand ("state", 1); assert (waitdraw (2, 3, 4), (-2) .* log (U));
%! assert (rand ("state"), after);
%! mu = [0.5 1; 2 -3];
%! rand ("state", 2); U = rand (2, 2);
%! rand ("state", 2); assert (waitdraw (mu), (-mu) .* log (U));
%! rand ("state", 2); assert (waitdraw (mu, 2.9, 2.1), (-mu) .* log (U));
%! rand ("state", 2); assert (waitdraw (int8 ([3 4; 5 6])), (-[3 4; 5 6]) .* log (U));
%! rand ("state", 3); u = rand ();
%! rand ("state", 3); assert (waitdraw (0.25), (-0.25) * log (u));
%!test
%! % Empty and negative sizes give empty results and draw nothing.
%! before = rand ("state");
%! assert (size (waitdraw (1, 0, 5)), [0 5]);
%! assert (size (waitdraw (1, -3, -3)), [0 0]);
%! assert (rand ("state"), before);
%!error id=montemex:waitdraw:tooManyOutputs [a, b] = waitdraw (1, 2)
%!error id=montemex:waitdraw:wrongInputCount waitdraw (1, 2)
%!error id=montemex:waitdraw:wrongInputCount waitdraw ()
%!error id=montemex:waitdraw:notRealNumeric waitdraw ("a")
%!error id=montemex:waitdraw:badSize waitdraw (1, NaN, 2)
%!error id=montemex:waitdraw:sizeMismatch waitdraw (ones (3, 4), 3, 5)
%!error id=montemex:waitdraw:tooLarge waitdraw (1, 1e6, 1e6)

%!demo
%! % 20000 exponential variates with mean 2 against the density exp(-x/2)/2; the uniforms are
%! % rand's own: -log(U) after the same seed gives the same numbers.
%! rand ("state", 1);
%! R = waitdraw (2, 20000, 1);
%! printf ("mean %.3f (exact 2), variance %.3f (exact 4)\n", mean (R), var (R));
%! rand ("state", 1);
%! printf ("equal to -2 * log (rand (20000, 1)) after the same seed: %d\n", isequal (R, -2 * log (rand (20000, 1))));
%! [counts, centres] = hist (R, 60);
%! bar (centres, counts / (numel (R) * (centres(2) - centres(1))), 1);
%! x = linspace (0, max (R), 300);
%! hold on; plot (x, exp (-x / 2) / 2, "r", "linewidth", 2); hold off;
%! title ("waitdraw (2, 20000, 1) against the exponential density");
