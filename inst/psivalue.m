%PSIVALUE  Digamma function, the derivative of log(gamma(x)).
%
%   R = psivalue(X) returns psi(X(k)) for every element of X; R has the first two dimensions
%   of X. Only dimensions one and two of X are looked at: a 2-by-3-by-4 X gives a 2-by-3 result
%   from its first six elements. An empty X gives an empty R of the same first two dimensions;
%   an X whose first two dimensions promise values that it does not hold, because a later
%   dimension is 0 (zeros(2, 3, 0)), gives a 0-by-0 R.
%
%   Method: while x <= 5 the recurrence psi(x) = psi(x + 1) - 1/x shifts x up by one; above 5
%   the asymptotic expansion ln(x) - 1/(2x) - sum B_2k/(2k x^2k), to its B_16 term, finishes
%   it, with one logarithm per element. Negative arguments from -65536 up go through the same
%   recurrence, so psivalue(-0.5) is 2 - gamma - 2*log(2) up to the expansion's truncation.
%
%   Random numbers: none; the generators are left alone. The one host function a call may use
%   is an empty mexEvalString every few milliseconds of a long call, which lets the host act on
%   Ctrl-C.
%
%   Special values:
%     +0 and every negative integer   -Inf  (the poles; the recurrence subtracts 1/+0)
%     -0                              +Inf  (its first step subtracts 1/-0)
%     NaN                             NaN
%     +Inf                            +Inf
%     -Inf                            NaN   (psi has no limit there; Octave's psi gives -Inf)
%
%   Very negative arguments: the recurrence takes one step per unit between x and 5, and at or
%   below -(2^53 + 4) adding 1 no longer changes x, so it would never end. Below -65536 psivalue
%   uses the reflection formula psi(x) = psi(1 - x) - pi/tan(pi*x) instead, with psi(1 - x) from
%   the same expansion and one logarithm; every X >= -65536 keeps the plain recurrence, bit for
%   bit. Every double below -2^52 is a negative integer and gives -Inf, as the recurrence does
%   wherever it ends.
%
%   Accuracy, measured against a long double reference at 200000 random points per region
%   (error = |psivalue(x) - psi(x)|):
%     x > 5                  relative error at most 2.9e-16 (absolute 2.6e-15 up to x = 1e6)
%     0 < x <= 5             relative error at most 4.8e-13 where |psi(x)| > 1, absolute error
%                            at most 6.1e-13 where |psi(x)| <= 1: the expansion is truncated at
%                            the shifted point in (5, 6]
%     -65536 < x < 0         relative error at most 4.6e-13 where |psi(x)| > 1, absolute error
%                            at most 4.9e-13 where |psi(x)| <= 1
%     x < -65536             relative error at most 4.9e-15 where |psi(x)| > 1, absolute error
%                            at most 7e-15 where |psi(x)| <= 1 (reflection formula)
%   Only the absolute error holds next to a zero of psi: at x = 1.4616 and at one point between
%   each pair of poles on the negative axis. Within 5e-5 of the negative zeros (tried up to
%   -1000) the relative error reaches 4.7e3 and the sign is wrong at 145 of 100899 points,
%   while the absolute error stays below 3.9e-13. Octave's psi agrees with psivalue where x > 0
%   to within 6.1e-13 where |psi(x)| <= 1 and a relative 4.8e-13 elsewhere.
%
%   Arguments:
%     X   real numeric or logical, any class (converted to double first).
%
%   Errors (identifier, message), checked in this order:
%     montemex:psivalue:wrongInputCount  Wrong number of input arguments.  (not one argument)
%     montemex:psivalue:tooManyOutputs   Too many output arguments.
%     montemex:psivalue:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                        (complex, sparse, char, cell and struct X)
%     montemex:psivalue:tooLarge         This call needs 24 GB of memory at once, more than the
%                                        22.7 GB a call may use here. (with the call's own
%                                        figures: see Limits below)
%
%   Limits: before it creates anything, a call adds up the memory it will hold at once (its
%   result, scratch, converted copies of arguments) and refuses with tooLarge what exceeds 90
%   percent of the machine's memory (2 GB in a 32-bit process); the environment variable
%   MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive number of bytes written as
%   digits with an optional fraction and exponent and nothing else (4e9, 2.5e9, 4000000000); any
%   other value is ignored with the warning montemex:psivalue:memoryLimit, which names it and
%   the default that applies, at the start of the call, once per value while the function stays
%   loaded. A smaller request the host still cannot serve ends with the host's own error
%   (Octave: "out of memory or dimension too large for Octave's index type", or "psivalue:
%   failed to allocate N bytes of memory" with an empty identifier). Ctrl-C ends a long call
%   within a few milliseconds in Octave, with no result.
%
%   Builds: current build only.
%
%   Example:
%     psivalue([0.5 1 2 10])   % -1.9635  -0.5772  0.4228  2.2518
%
%   See also psi, gammaln.

%!test
%! % Close to Octave's psi where x > 0: below 10 within the truncation of the expansion, above
%! % within a few units in the last place (psi itself strays by up to 14 at 1e6); known values.
%! x = [(1:100000) * 0.001, 100 * 10 .^ ((1:10000) * 4e-4)];
%! assert (psivalue (x), psi (x), 1e-12);
%! far = x(x > 10);
%! assert (max (abs (psivalue (far) - psi (far)) ./ eps (psi (far))) < 32);
%! assert (psivalue ([1 2]), [-0.57721566490153286, 0.42278433509846714], 3e-14);
%! assert (psivalue (-0.5), 2 + psi (1) - 2 * log (2), 1.5e-13);
%! % Below -65536 the reflection formula, close to the values just above.
%! assert (abs (psivalue (-65536.5) - psivalue (-65535.5)) < 1e-4);
%! assert (abs (psivalue (-3e15 - 0.5) - log (3e15)) < 1e-9);
%!test
%! % Special values: the poles, signed zeros, infinities, NaN; and no random number used.
%! before = {rand("state"), randn("state")};
%! assert (psivalue ([0, -0, -1, -2, -100, -65536, -2^53 - 4, -1e300, -realmax, NaN, Inf, -Inf]), ...
%!         [-Inf, Inf, -Inf, -Inf, -Inf, -Inf, -Inf, -Inf, -Inf, NaN, Inf, NaN]);
%! assert ({rand("state"), randn("state")}, before);
%!test
%! % The first two dimensions of X; other classes as doubles.
%! c = reshape ((1:24) * 0.5, [2 3 4]);
%! assert (psivalue (c), psivalue (c(:, :, 1)));
%! assert (size (psivalue (zeros (0, 3))), [0 3]);
%! assert (psivalue (int16 ([-3 7 1000])), psivalue ([-3 7 1000]));
%! assert (psivalue (single (2.5)), psivalue (2.5));
%!error id=montemex:psivalue:wrongInputCount [a, b] = psivalue (1, 2)
%!error id=montemex:psivalue:wrongInputCount psivalue ()
%!error id=montemex:psivalue:tooManyOutputs [a, b] = psivalue (1)
%!error id=montemex:psivalue:notRealNumeric psivalue (1 + 2i)
%!error id=montemex:psivalue:notRealNumeric psivalue ({1})

%!demo
%! % The digamma function from -4.5 to 5: a pole at 0 and at every negative integer, one zero
%! % between each pair of poles and one at x = 1.4616.
%! x = linspace (-4.5, 5, 4000);
%! y = psivalue (x);
%! y(abs (y) > 12) = NaN;
%! plot (x, y, "linewidth", 2); grid on; ylim ([-12 12]);
%! title ("psivalue (x)"); xlabel ("x");
%! printf ("psivalue (1) = %.16f (minus the Euler-Mascheroni constant, %.16f)\n", ...
%!         psivalue (1), -0.57721566490153286);
