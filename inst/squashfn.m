%SQUASHFN  Hyperbolic tangent, clipped to exactly -1 and 1.
%
%   Y = squashfn(X) returns tanh(X(k)) for every element of X; Y has the first two dimensions
%   of X. Only dimensions one and two of X are looked at: a 2-by-3-by-4 X gives a 2-by-3 result
%   from its first six elements. An empty X gives an empty Y of the same first two dimensions.
%
%   Each element, with a = abs(x):
%     a > 18              1 for x > 0, -1 otherwise (also for +-Inf)
%     1.5e-8 < a <= 18    1 - 2/(exp(2*x) + 1), bit for bit what that Octave expression gives
%     a <= 1.5e-8         x itself (so -0 stays -0)
%   squashfn(18) is 0.9999999999999996 and squashfn(20) exactly 1.
%
%   Accuracy: within 5e-16 of tanh everywhere. The error is absolute, not relative: for small
%   |x| the formula loses digits to cancellation, up to a relative error of about 1.3e-8 just
%   above 1.5e-8 (about 2e-16/|x| in general).
%
%   Random numbers: none; the generators are left alone. The one host function a call may use
%   is an empty mexEvalString every few milliseconds of a long call, which lets the host act on
%   Ctrl-C.
%
%   Arguments:
%     X   real numeric or logical, any class (converted to double first). Values are not
%         checked. Arguments after the first are ignored, whatever they are.
%
%   Errors (identifier, message):
%     montemex:squashfn:wrongInputCount  Wrong number of input arguments.  (no argument)
%     montemex:squashfn:tooManyOutputs   Too many output arguments.  (two or more outputs)
%     montemex:squashfn:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                        (complex, sparse, char, cell and struct X)
%     montemex:squashfn:tooLarge         This call needs 24 GB of memory at once, more than the
%                                        22.7 GB a call may use here. (with the call's own
%                                        figures: see Limits below)
%
%   Limits: before it creates anything, a call adds up the memory it will hold at once (its
%   result, scratch, converted copies of arguments) and refuses with tooLarge what exceeds 90
%   percent of the machine's memory (2 GB in a 32-bit process); the environment variable
%   MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive number of bytes written as
%   digits with an optional fraction and exponent and nothing else (4e9, 2.5e9, 4000000000); any
%   other value is ignored with the warning montemex:squashfn:memoryLimit, which names it and
%   the default that applies, at the start of the call, once per value while the function stays
%   loaded. A smaller request the host still cannot serve ends with the host's own error
%   (Octave: "out of memory or dimension too large for Octave's index type", or "squashfn:
%   failed to allocate N bytes of memory" with an empty identifier). Ctrl-C ends a long call
%   within a few milliseconds in Octave, with no result.
%
%   Legacy build: NaN counts as beyond the threshold and positive there, so a NaN element
%   gives 1 where the current build returns NaN.
%
%   Example:
%     squashfn([-20 -0.5 0 0.5 20])   % -1  -0.4621  0  0.4621  1
%
%   See also tanh.

%!test
%! % Between 1.5e-8 and 18 in magnitude, bit for bit 1 - 2./(exp(2*x)+1), and within 5e-16 of
%! % tanh; both thresholds' neighbours included.
%! x = 1.5e-8 * (18 / 1.5e-8) .^ ((1:5000) / 5000);
%! x = [x, -x, (1.5e-8 + eps (1.5e-8)), -(1.5e-8 + eps (1.5e-8)), 0.5, 18, -18, -1, -3, -17];
%! assert (squashfn (x), 1 - 2 ./ (exp (2 * x) + 1));
%! assert (squashfn (x), tanh (x), 5e-16);
%!test
%! % Special values: the identity band keeps the sign of zero, beyond 18 exactly +-1.
%! assert (squashfn ([0 1e-9 -1e-9 1.5e-8 -1.5e-8]), [0 1e-9 -1e-9 1.5e-8 -1.5e-8]);
%! assert (signbit (squashfn (-0)));
%! assert (squashfn (18), 0.9999999999999996);
%! assert (squashfn ([(18 + eps (18)), 20, -20, 1e300, Inf, -Inf, NaN]), [1 1 -1 1 1 -1 NaN]);
%!test
%! % Shapes, classes, ignored extra arguments.
%! c = reshape (1:24, [2 3 4]) - 12;
%! assert (squashfn (c), squashfn (c(:, :, 1)));
%! assert (size (squashfn (zeros (0, 3))), [0 3]);
%! assert (squashfn (int8 ([-1 30])), squashfn ([-1 30]));
%! assert (squashfn ([0.5 2], {1}, "ignored"), squashfn ([0.5 2]));
%! squashfn (0.5);
%! assert (ans, squashfn (0.5));
%!error id=montemex:squashfn:wrongInputCount squashfn ()
%!error id=montemex:squashfn:tooManyOutputs [a, b] = squashfn (1)
%!error id=montemex:squashfn:notRealNumeric squashfn ("abc")
%!error id=montemex:squashfn:notRealNumeric squashfn (sparse ([1 0]))

%!demo
%! % squashfn against tanh: the same curve, within 5e-16, and exactly -1 and 1 beyond |x| = 18.
%! x = linspace (-20, 20, 4001);
%! d = squashfn (x) - tanh (x);
%! printf ("largest |squashfn (x) - tanh (x)| on [-20, 20]: %.2g\n", max (abs (d)));
%! printf ("squashfn (18) = %.17g, squashfn (18.5) = %.17g\n", squashfn (18), squashfn (18.5));
%! subplot (2, 1, 1); plot (x, squashfn (x), "linewidth", 2); grid on;
%! title ("squashfn (x)");
%! subplot (2, 1, 2); plot (x, d); grid on;
%! title ("squashfn (x) - tanh (x)"); xlabel ("x");
