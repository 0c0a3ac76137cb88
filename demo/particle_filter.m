% A bootstrap particle filter on a nonlinear state-space model, comparing the four resamplers.
%
%   octave --no-gui demo/particle_filter.m [FOLDER]
%
% Writes particle_filter.png into FOLDER (default: build/demo/ under the project root).
%
% The model (a standard test case for nonlinear filters):
%   x(t) = x(t-1)/2 + 25 x(t-1) / (1 + x(t-1)^2) + 8 cos(1.2 t) + v(t),   v ~ N(0, 10)
%   y(t) = x(t)^2 / 20 + w(t),                                          w ~ N(0, 1)
% The observation only sees x^2, so the filter's posterior is often bimodal: a good test of how
% much noise resampling adds.
%
% Each step of the filter: propagate every particle through the state equation, weight it by the
% likelihood of y(t), estimate x(t) by the weighted mean, then resample. The four resamplers differ
% only in how they turn weights into particle indices:
%   plainpick      multinomial: N independent draws
%   remainderpick  residual: floor(N w) copies outright, the rest drawn
%   layeredpick    stratified: one draw in each of N strata of width 1/N
%   fixedpick      deterministic: residual copies, remainders by a fixed 0.5 offset
% Less resampling noise shows as a smaller Monte Carlo variance of the estimate across runs.
1;
addpath (fileparts (mfilename ("fullpath")));
find_modules ();
headless_plots ();

T = 60;            % time steps
N = 400;           % particles
runs = 60;         % independent filter runs per resampler, all on the same data
resamplers = {"plainpick", "remainderpick", "layeredpick", "fixedpick"};

% Simulate one trajectory and its observations. Seeding the host seeds every draw below too.
rand ("state", 2026); randn ("state", 2026);
f = @(x, t) x / 2 + 25 * x ./ (1 + x .^ 2) + 8 * cos (1.2 * t);
x_true = zeros (T, 1);
y = zeros (T, 1);
x = sqrt (5) * randn ();
for t = 1:T
  x = f (x, t) + sqrt (10) * randn ();
  x_true(t) = x;
  y(t) = x ^ 2 / 20 + randn ();
end

estimates = zeros (T, runs, numel (resamplers));
for r = 1:numel (resamplers)
  resample = str2func (resamplers{r});
  for run = 1:runs
    particles = sqrt (5) * randn (N, 1);
    for t = 1:T
      particles = f (particles, t) + sqrt (10) * randn (N, 1);
      log_w = -0.5 * (y(t) - particles .^ 2 / 20) .^ 2;
      w = exp (log_w - max (log_w));
      estimates(t, run, r) = sum (w .* particles) / sum (w);
      particles = particles(resample (w));
    end
  end
end

% Error against the truth (averaged over runs) and Monte Carlo variance across runs.
rmse = squeeze (sqrt (mean (mean ((estimates - x_true) .^ 2, 1), 2)));
mc_var = squeeze (mean (var (estimates, 0, 2), 1));
printf ("%-14s %10s %14s\n", "resampler", "RMSE", "MC variance");
for r = 1:numel (resamplers)
  printf ("%-14s %10.3f %14.4f\n", resamplers{r}, rmse(r), mc_var(r));
end

h = figure ("visible", "off", "position", [0 0 1000 700]);
subplot (2, 1, 1);
plot (1:T, x_true, "k-", "linewidth", 2, 1:T, squeeze (mean (estimates, 2)), "-");
legend (["truth", resamplers], "location", "eastoutside");
xlabel ("time step"); ylabel ("x(t)");
title (sprintf ("Filter estimates (mean of %d runs, N = %d particles)", runs, N));
subplot (2, 2, 3);
bar (rmse);
set (gca, "xticklabel", resamplers);
ylabel ("RMSE against the truth"); title ("Estimate error");
subplot (2, 2, 4);
bar (mc_var);
set (gca, "xticklabel", resamplers);
ylabel ("variance across runs"); title ("Resampling noise (lower is better)");
png_file = demo_output ("particle_filter.png");
print (h, "-dpng", png_file);
printf ("wrote %s\n", png_file);
