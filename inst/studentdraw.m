%STUDENTDRAW  Student t random variates.
%
%   R = studentdraw(NU) returns standard Student t variates (location 0, scale 1), one per
%   element of NU, with NU(i) degrees of freedom; R has the first two dimensions of NU.
%
%   R = studentdraw(NU, M, N) returns an M-by-N array. NU is then a scalar (every element has
%   NU degrees of freedom) or an array of exactly M rows and N columns.
%
%   Arguments:
%     NU    degrees of freedom, real numeric or logical, any class (converted to double). See
%           "Unusual degrees of freedom" below.
%     M, N  sizes, truncated toward zero (2.7 is 2); negative sizes count as 0, as in randn
%           and zeros, so no element is drawn for them. Only dimensions one and two of NU are
%           looked at.
%
%   Random numbers: first one call randn(M, N) (randn(size(NU, 1), size(NU, 2)) without size
%   arguments) whose normals Z become R; then element by element in column-major order:
%     NU == 1      one more normal Y from randn; the element is Z/Y
%     NU == 2      one uniform U from rand; the element is (sqrt(2)*(U-0.5))/sqrt(U-U*U),
%                  and Z is not used
%     other NU     the uniforms of one standard gamma draw G with shape NU/2 (see "help
%                  shapedraw" for the methods and their uniforms); the element is
%                  (Z*sqrt(NU))/sqrt(2*G)
%   Every G below 1e-15 becomes 1e-15 (for NU >= 2e-5), as in shapedraw, so no element exceeds
%   |Z|*sqrt(NU/2e-15) in magnitude. For small NU that cuts off the far tails: at NU = 0.2
%   about 3 percent of the draws have G at the floor and are too small (a hundred thousand
%   draws fail a Kolmogorov-Smirnov test against the t distribution), at NU = 0.02 about 70
%   percent; from NU = 0.5 on, fewer than 1 in 4000.
%   With an array NU the rand and randn draws interleave as the elements require. Numbers are
%   fetched in blocks only when all of them are certain to be used, and never across an
%   element that draws the other kind (on hosts where rand and randn share one stream), so R
%   is bit for bit what one-at-a-time rand() and randn() calls give, and the generators are
%   left exactly where those calls leave them.
%
%   Unusual degrees of freedom (nothing is drawn for the element beyond its Z):
%     NU NaN                   NaN.
%     NU = Inf, or NU of 2^1021 (about 2.2e307) or more: Z itself, the
%                              limit of the distribution (standard normal).
%     0 < NU < 2e-5            G = NU/2, so the element is (Z*sqrt(NU))/sqrt(2*(NU/2)):
%                              Z up to rounding, except for subnormal NU (below about
%                              2.2e-308), whose half loses digits: NU = 4.9e-324 gives
%                              +-Inf (NU/2 rounds to 0), NU = 3*4.9e-324 gives 0.866*Z.
%     NU = 0, NU < 0, -Inf     NaN.
%
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:studentdraw:tooManyOutputs   Too many output arguments.
%     montemex:studentdraw:wrongInputCount  Wrong number of input arguments.
%                                           (one or three arguments; checked after the
%                                           outputs)
%     montemex:studentdraw:notRealNumeric   Arguments must be full real numeric or logical
%                                           arrays. (complex, sparse, char, cell, struct NU)
%     montemex:studentdraw:badSize          Size arguments must be finite real numbers.
%                                           (NaN, Inf, empty or non-numeric M or N)
%     montemex:studentdraw:sizeTooLarge     Size arguments are too large.
%     montemex:studentdraw:sizeMismatch     Size information is inconsistent.
%                                           (an array NU that is not M-by-N, or an empty NU
%                                           with a non-empty M-by-N)
%     montemex:studentdraw:tooLarge         This call needs 24 GB of memory at once, more than
%                                           the 22.7 GB a call may use here. (with the call's
%                                           own figures: see Limits below)
%     montemex:studentdraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                           requested. (what a rand or randn of the user's, an
%                                           m-file that shadows it, returned: nothing, another
%                                           class, a complex or sparse array, another size
%                                           ("rand returned an array of class int8 where real
%                                           doubles were requested."); or numbers no sampler can
%                                           use: "rand returned a number outside the open
%                                           interval (0, 1).", "rand returned numbers that a
%                                           rejection loop rejected 10000 times in a row.",
%                                           "randn returned a number that is not finite.")
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:studentdraw:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "studentdraw: failed to allocate N bytes of memory"
%   with an empty identifier). Ctrl-C ends a long call within a few milliseconds in Octave,
%   with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Example:
%     randn('state', 1); rand('state', 1);   % in MATLAB: rng(1)
%     R = studentdraw(5, 2, 4)               % 2-by-4, 5 degrees of freedom
%
%   See also randn, shapedraw.

%!test
%! % Bit for bit against the host's streams: Z from randn (M, N), then per element one randn
%! % (NU = 1) or one rand (NU = 2), and both generators left where those calls leave them.
%! randn ("state", 1); rand ("state", 1);
%! Z = randn (2, 2); Y = randn (2, 1); U = rand (2, 1); after = {randn("state"), rand("state")};
%! t2 = @(u) (sqrt (2) * (u - 0.5)) / sqrt (u - u * u);
%! randn ("state", 1); rand ("state", 1);
%! assert (studentdraw ([1 2; 2 1]), [Z(1) / Y(1), t2(U(2)); t2(U(1)), Z(4) / Y(2)]);
%! assert ({randn("state"), rand("state")}, after);
%! randn ("state", 2); Z = randn (2, 3); Y = randn (2, 3);
%! randn ("state", 2); assert (studentdraw (uint8 (1), 2.7, 3.2), Z ./ Y);
%!test
%! % Unusual degrees of freedom: Z itself for Inf and huge NU, NaN for NaN, 0 and negative NU,
%! % and no number drawn beyond Z; negative sizes draw nothing.
%! randn ("state", 3); Z = randn (1, 6);
%! randn ("state", 3); before = rand ("state");
%! assert (studentdraw ([Inf 2^1021 NaN 0 -2 -Inf]), [Z(1:2) NaN NaN NaN NaN]);
%! assert (rand ("state"), before);
%! before = randn ("state");
%! assert (size (studentdraw (1, -3, 2)), [0 2]);
%! assert (randn ("state"), before);
%!test
%! % Seeded smoke test: every branch follows the t distribution (Kolmogorov-Smirnov distance of
%! % 20000 draws from F(t) = 1/2 + sign(t) (1/2 - I(nu/(nu+t^2); nu/2, 1/2)/2)).
%! randn ("state", 4); rand ("state", 4); n = 20000;
%! for nu = [1 2 0.5 2.00001 5]
%!   t = sort (studentdraw (nu, n, 1));
%!   F = 0.5 + sign (t) .* (0.5 - 0.5 * betainc (nu ./ (nu + t .^ 2), nu / 2, 0.5));
%!   assert (max (max (F - (0:n-1)' / n), max ((1:n)' / n - F)) < 1.95 / sqrt (n));
%! end
%!error id=montemex:studentdraw:tooManyOutputs [a, b] = studentdraw (1, 2)
%!error id=montemex:studentdraw:wrongInputCount studentdraw (1, 2)
%!error id=montemex:studentdraw:notRealNumeric studentdraw ({1})
%!error id=montemex:studentdraw:badSize studentdraw (1, Inf, 2)
%!error id=montemex:studentdraw:sizeMismatch studentdraw ([1 2; 3 4], 3, 3)
%!error id=montemex:studentdraw:tooLarge studentdraw (5, 1e6, 1e6)

%!demo
%! % Heavy tails: how often |t| > 3 for a few degrees of freedom, against the exact
%! % probability I(nu/(nu+9); nu/2, 1/2) (erfc (3/sqrt (2)) in the normal limit, nu = Inf).
%! randn ("state", 1); rand ("state", 1);
%! printf ("%6s %10s %10s\n", "nu", "drawn", "exact");
%! for nu = [1 2 5 30 Inf]
%!   t = studentdraw (nu, 100000, 1);
%!   if (isinf (nu)) exact = erfc (3 / sqrt (2)); else exact = betainc (nu / (nu + 9), nu / 2, 0.5); end
%!   printf ("%6g %10.5f %10.5f\n", nu, mean (abs (t) > 3), exact);
%! end
