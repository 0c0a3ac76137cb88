% A Gibbs sampler for a hierarchical normal model with group-specific variances.
%
%   octave --no-gui demo/gibbs_hierarchical.m [FOLDER]
%
% Writes gibbs_hierarchical.png into FOLDER (default: build/demo/ under the project root).
%
% J groups of observations, y(i, j) ~ N(mu(j), sigma2(j)). The group variances share a common
% scale tau2, which the data estimate:
%   sigma2(j) ~ Scaled-Inv-chi2(nu, tau2)        nu = 6 degrees of freedom, fixed
%   tau2      ~ Scaled-Inv-chi2(nu0, S)          a weak prior: nu0 = 1, S = 1
%   mu(j)     flat
% Every conditional distribution is one call:
%   mu(j)     | rest ~ N(mean(y(:, j)), sigma2(j) / n)                        randn
%   sigma2(j) | rest ~ Scaled-Inv-chi2(nu + n, (nu tau2 + SS(j)) / (nu + n))  recipshapedraw, all
%                                                                              groups in one call
%   tau2      | rest has density  y^((nu J - nu0)/2 - 1) exp(-S nu0/(2y) - nu J y/(2H)),
%               H the harmonic mean of the sigma2(j)                          scalehyperdraw
% The last one is not a standard distribution: scalehyperdraw samples it exactly by adaptive
% rejection sampling. Seeding Octave's generators makes the whole chain reproducible.
1;
addpath (fileparts (mfilename ("fullpath")));
find_modules ();
headless_plots ();

% Data: 8 groups of 12 observations with different spreads (demo/hierarchical_data.m).
rand ("state", 7); randn ("state", 7);
[y, true_sigma] = hierarchical_data ();
J = columns (y);

% The sampler (demo/gibbs_sweeps.m): each sweep draws mu, then sigma2, then tau2, as above.
% It starts from the sample variances and tau2 = 1, and goes on with the seeded stream.
sweeps = 4000;
burn = 500;
[trace_tau2, trace_sigma2] = gibbs_sweeps (y, sweeps, var (y), 1);

kept = burn + 1:sweeps;
post_sigma = sqrt (trace_sigma2(kept, :));
post_mean = mean (post_sigma);
q = quantile (post_sigma, [0.05 0.95]);
printf ("group   true sigma   sample sd   posterior mean sigma   90%% interval\n");
for j = 1:J
  printf ("%5d %12.2f %11.2f %22.2f   [%.2f, %.2f]\n", j, true_sigma(j), std (y(:, j)), ...
          post_mean(j), q(1, j), q(2, j));
end
printf ("posterior mean of tau = %.2f\n", mean (sqrt (trace_tau2(kept))));

h = figure ("visible", "off", "position", [0 0 1000 700]);
subplot (2, 1, 1);
plot (1:sweeps, sqrt (trace_tau2), "-");
xlabel ("sweep"); ylabel ("tau");
title ("Trace of the common scale tau (drawn by scalehyperdraw)");
subplot (2, 1, 2);
errorbar (1:J, post_mean, post_mean - q(1, :), q(2, :) - post_mean, "bo");
hold on;
plot (1:J, true_sigma, "rx", "markersize", 10, "linewidth", 2);
plot (1:J, std (y), "k+", "markersize", 10, "linewidth", 2);
plot ([0.5 J + 0.5], mean (sqrt (trace_tau2(kept))) * [1 1], "g--");
hold off;
xlim ([0.5 J + 0.5]);
top = 1.15 * max ([q(2, :), true_sigma]);
ylim ([0, top]);
legend ("posterior mean, 90% interval", "true sigma", "sample sd", "posterior mean of tau", "location", "northwest");
xlabel ("group"); ylabel ("sigma");
title ("Each group's sigma: the posterior pools the sample sd toward the common scale");
png_file = demo_output ("gibbs_hierarchical.png");
print (h, "-dpng", png_file);
printf ("wrote %s\n", png_file);
