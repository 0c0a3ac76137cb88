%SCALEHYPERDRAW  One draw of a scale from its conditional density in a hierarchical variance model.
%
%   Y = scalehyperdraw(S, NU0, NU, H, N) returns one positive number drawn from the density
%
%       p(y) ~ y^((NU*N - NU0)/2 - 1) * exp(-S*NU0/(2*y) - NU*N*y/(2*H)),   y > 0,
%
%   a generalized inverse Gaussian density. It is the conditional density of a scale y that has
%   a scaled inverse chi-square prior with NU0 degrees of freedom and scale S, given N variances
%   that are each scaled inverse chi-square with NU degrees of freedom and scale y, H being their
%   harmonic mean (N divided by the sum of their reciprocals). A Gibbs sampler calls it once per
%   sweep.
%
%   Method: adaptive rejection sampling (Gilks and Wild 1992, tangents only) of x = -log(y),
%   whose log-density
%
%       h(x) = (NU0 - NU*N)/2 * x - (S*NU0/2) * exp(x) - (NU*N/(2*H)) * exp(-x)
%
%   is concave. Two searches from x = -log(S) (y = S), with steps log(1/sqrt(NU0) + 1) doubling
%   each time, find the first two tangents; each rejected candidate adds a tangent, up to 100.
%
%   Random numbers: three uniforms per proposal, in this order: the segment of the envelope,
%   the position in the segment, the acceptance test. The number of proposals is random (mostly
%   1 to 10). The searches draw nothing. Each proposal fetches its three uniforms with one call
%   rand(3, 1), which yields exactly the numbers of three rand() calls, so after
%   rand('state', s) (in MATLAB rng(s)) the result is the same as if every uniform were drawn
%   alone, and the generator is left exactly where those draws leave it. No randn numbers are
%   used.
%
%   Arguments: five real numeric or logical arrays (converted to double), of which only the
%   first element is used. The density is proper and log-concave exactly when S*NU0 >= 0,
%   NU*N/H >= 0, and either S*NU0 > 0 or NU*N > NU0, and either NU*N/H > 0 or NU0 > NU*N. The
%   sampler starts at y = S and steps by log(1/sqrt(NU0) + 1), so it needs S > 0 and NU0 > 0,
%   and H > 0 as a harmonic mean of variances; NU and N must be positive too (with NU*N = 0 use
%   the prior itself: S*NU0/(2*randg(NU0/2))). Its double arithmetic is sound in this range:
%
%       1e-100 <= S <= 1e100,   1e-100 <= H <= 1e100,   1e-4 <= NU0 <= 1e8,
%       NU <= 1e8,   N <= 1e8,   1e-4 <= NU*N <= 1e8.
%
%   Outside it the density becomes too flat for the sampler to adapt (small NU0 or NU*N), its
%   acceptance ratios lose accuracy (large NU0 or NU*N), or y leaves the doubles. Within it, the
%   searches must also end with tangents that double precision can evaluate to within 1 where
%   they meet; this fails only when the density lies many of its widths away from y = S, that is
%   for S/H far from 1 with a large NU*N. Every argument list with 0.01 <= S/H <= 100 passes, and
%   so does every one with 0.001 <= S/H <= 1000 and S, H between 1e-50 and 1e50. All of these
%   checks come before any random number is drawn. N need not be an integer.
%
%   Warning: a call that reaches 10000 rejections writes
%       WARNING: More than 10000 rejections in ars
%   to the process's standard error (not the command window) and goes on sampling. This is
%   written at most once while the module stays loaded (until "clear scalehyperdraw"). Within
%   the range above, draws take a few dozen proposals at most, with one known exception (next).
%
%   Limitation: when NU0 equals NU*N, log y has no linear trend in the density, and with H far
%   above S the density is nearly flat over dozens of units of log y (for example S = 1,
%   NU0 = NU = 1e5, N = 1, H = 1e40). Tangents there are flatter than the sampler may use (slopes
%   within 1e-9 of 0 are never added), so its envelope cannot improve: such a call usually writes
%   the warning and ends after 100000 proposals (well under a second) with tooManyProposals.
%
%   Errors (identifier, message):
%     montemex:scalehyperdraw:wrongInputCount  Wrong number of input arguments.
%                                              (not five arguments; checked first)
%     montemex:scalehyperdraw:tooManyOutputs   Too many output arguments.
%     montemex:scalehyperdraw:notRealNumeric   Arguments must be full real numeric or logical
%                                              arrays. (complex, sparse, char, cell, struct)
%     montemex:scalehyperdraw:notPositive      Arguments must be positive finite numbers.
%                                              (empty, zero, negative, NaN or infinite)
%     montemex:scalehyperdraw:outOfRange       Arguments are outside the range the sampler
%                                              handles. (the range above)
%     montemex:scalehyperdraw:tooFarFromS      The density lies too far from S for double
%                                              precision. (the searches' check above)
%     montemex:scalehyperdraw:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                              requested. (what a rand of the user's, an m-file
%                                              that shadows it, returned: nothing, another
%                                              class, a complex or sparse array, another size
%                                              ("rand returned an array of class int8 where real
%                                              doubles were requested."); or numbers no sampler
%                                              can use: "rand returned a number outside the open
%                                              interval (0, 1).", "rand returned numbers that a
%                                              rejection loop rejected 10000 times in a row.")
%   Two more errors guard against a sampler that cannot go on; the first cannot occur for
%   accepted arguments, the second only in the limitation above:
%     montemex:scalehyperdraw:badEnvelope      The sampler's envelope is not finite.
%     montemex:scalehyperdraw:tooManyProposals No candidate was accepted in 100000 proposals.
%   No error leaves an array behind; the last two come after drawing.
%
%   Beyond the plain sampler: a tangent from a far tail, where h falls so steeply that rounding
%   swamps the tangent's value where it meets its neighbours, would make the envelope larger or
%   infinite; such a tangent is taken back (a correct tangent can only lower the envelope) and
%   sampling goes on. Non-finite tangents are never added. This changes nothing for draws whose
%   envelope stays sound.
%
%   Builds: current build only (no legacy build).
%
%   Example:
%     rand('state', 1);                      % in MATLAB: rng(1)
%     y = scalehyperdraw(2, 5, 4, 3, 20)     % about 2.9, give or take 0.5
%
%   See also rand, randg.

%!test
%! % Three uniforms per proposal: the generator ends where rand (3*k, 1) leaves it for some
%! % k, and randn is never touched.
%! rand ("state", 1); randn ("state", 1); before = randn ("state");
%! y = scalehyperdraw (2, 5, 4, 3, 20); after = rand ("state");
%! assert (y > 0 && isfinite (y) && isequal (randn ("state"), before));
%! rand ("state", 1); k = 0;
%! do
%!   rand (3, 1); k++;
%! until (isequal (rand ("state"), after) || k > 1000)
%! assert (k <= 1000);
%! rand ("state", 1); assert (scalehyperdraw ([2 99], 5, single (4), int8 (3), 20), y);
%!test
%! % Seeded smoke test: x = -log (y) follows its density exp (h(x)), integrated numerically
%! % (Kolmogorov-Smirnov distance of 2000 draws).
%! rand ("state", 2); n = 2000; g = linspace (-10, 10, 20001)';
%! for a = {[1 1 1 1 1], [2 5 4 3 20]}
%!   [S, nu0, nu, H, N] = num2cell (a{1}){:};
%!   x = zeros (n, 1);
%!   for k = 1:n
%!     x(k) = -log (scalehyperdraw (S, nu0, nu, H, N));
%!   end
%!   h = (nu0 - nu * N) / 2 * g - (S * nu0 / 2) * exp (g) - (nu * N / (2 * H)) * exp (-g);
%!   F = cumtrapz (g, exp (h - max (h)));
%!   F = interp1 (g, F / F(end), sort (x));
%!   assert (max (max (F - (0:n-1)' / n), max ((1:n)' / n - F)) < 1.95 / sqrt (n));
%! end
%!test
%! % Argument errors come before any number is drawn.
%! before = rand ("state");
%! try scalehyperdraw (1, 0, 1, 1, 1); end
%! try scalehyperdraw (1e5, 1e-3, 1, 1, 1e8); end
%! assert (rand ("state"), before);
%!error id=montemex:scalehyperdraw:wrongInputCount [a, b] = scalehyperdraw (1, 1, 1, 1)
%!error id=montemex:scalehyperdraw:tooManyOutputs [a, b] = scalehyperdraw (1, 1, 1, 1, 1)
%!error id=montemex:scalehyperdraw:notRealNumeric scalehyperdraw (1, 1, "a", 1, 1)
%!error id=montemex:scalehyperdraw:notPositive scalehyperdraw (1, 1, 1, [], 1)
%!error id=montemex:scalehyperdraw:notPositive scalehyperdraw (1, 0, 1, 1, 1)
%!error id=montemex:scalehyperdraw:notPositive scalehyperdraw (1, 1, 1, 1, NaN)
%!error id=montemex:scalehyperdraw:outOfRange scalehyperdraw (1, 1e9, 1, 1, 1)
%!error id=montemex:scalehyperdraw:tooFarFromS scalehyperdraw (1e5, 1e-3, 1, 1, 1e8)

%!demo
%! % 4000 draws from p(y) proportional to y^((nu N - nu0)/2 - 1) exp(-S nu0 / (2y) - nu N y / (2H))
%! % with S = 2, nu0 = 5, nu = 4, H = 3, N = 20, against that density normalised numerically.
%! rand ("state", 1);
%! y = zeros (4000, 1);
%! for k = 1:4000
%!   y(k) = scalehyperdraw (2, 5, 4, 3, 20);
%! end
%! g = linspace (0.5 * min (y), 1.5 * max (y), 2000);
%! logp = ((4 * 20 - 5) / 2 - 1) * log (g) - 2 * 5 ./ (2 * g) - 4 * 20 * g / (2 * 3);
%! p = exp (logp - max (logp));
%! p = p / trapz (g, p);
%! printf ("mean %.3f (exact %.3f), standard deviation %.3f (exact %.3f)\n", mean (y), ...
%!         trapz (g, g .* p), std (y), sqrt (trapz (g, (g - trapz (g, g .* p)) .^ 2 .* p)));
%! [counts, centres] = hist (y, 50);
%! bar (centres, counts / (numel (y) * (centres(2) - centres(1))), 1);
%! hold on; plot (g, p, "r", "linewidth", 2); hold off;
%! title ("scalehyperdraw (2, 5, 4, 3, 20) against its density");
