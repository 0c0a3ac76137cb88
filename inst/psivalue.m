%PSIVALUE  Digamma function, the derivative of log(gamma(x)).
%
%   R = psivalue(X) returns psi(X(k)) for every element of X; R has the first two dimensions
%   of X. Only dimensions one and two of X are looked at: a 2-by-3-by-4 X gives a 2-by-3 result
%   from its first six elements. An empty X gives an empty R of the same first two dimensions.
%
%   Method: while x <= 5 the recurrence psi(x) = psi(x + 1) - 1/x shifts x up by one; above 5
%   the asymptotic expansion ln(x) - 1/(2x) - sum B_2k/(2k x^2k), to its B_16 term, finishes
%   it, with one logarithm per element. Negative arguments from -65536 up go through the same
%   recurrence, so psivalue(-0.5) is 2 - gamma - 2*log(2) up to the expansion's truncation.
%
%   Random numbers: none. psivalue calls no host function and leaves the generators alone.
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
%   Accuracy, against a long double reference on a grid from -100 to 1e6:
%     x > 10           within 2.2 ulps (1.44 ulps above 100)
%     0 < x <= 10      absolute error up to 6.1e-13: the expansion is truncated at the shifted
%                      point in (5, 6]. That is up to about 1.1e4 ulps away from psi's zero
%                      at x = 1.4616 and more next to it: the largest error where x > 0 is
%                      2.35e6 ulps, at x = 1.462 (absolute 6e-13 there too)
%     -100 < x < 0     relative error up to 5e-10 (next to psi's zeros between the poles)
%     x < -65536       within a few ulps (reflection formula); just above -65536 the 65541
%                      steps of the recurrence leave some tens of ulps
%   Octave's psi agrees with psivalue to within 6.1e-13 where x > 0 (14 ulps at x = 1e6, where
%   psivalue is the closer to the true value).
%
%   Arguments:
%     X   real numeric or logical, any class (converted to double first).
%
%   Errors (identifier, message), checked in this order:
%     montemex:psivalue:wrongInputCount  Wrong number of input arguments.  (not one argument)
%     montemex:psivalue:tooManyOutputs   Too many output arguments.
%     montemex:psivalue:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                        (complex, sparse, char, cell and struct X)
%
%   Builds: current build only.
%
%   Example:
%     psivalue([0.5 1 2 10])   % -1.9635  -0.5772  0.4228  2.2518
%
%   See also psi, gammaln.
