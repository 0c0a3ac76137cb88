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
% Resampling adds noise: the resampled particles' mean differs from the weighted mean it stands
% for. plainpick adds the most, the variance of the mean of N independent draws; the others add
% less, and keep more distinct particles. The demo measures three things at a small particle count,
% where the differences show, over many runs of the filter on the same data:
%   - the noise one resampling step adds, in units of what multinomial resampling adds on average;
%   - how many distinct particles survive a resampling step;
%   - how much the filter's estimate varies from run to run, where propagation noise and the
%     model's ambiguity (x or -x) add to the resampling noise and dilute the differences.
% The error against the truth (RMSE, printed) is about the same for all four: it comes from that
% ambiguity, not from resampling.
1;

function show_bars (values, names, value_format, x_label, plot_title, panel)
  % One horizontal bar per resampler in panel PANEL (1 to 3) of the bottom row, labelled with its
  % value. The row is placed by hand, to leave room for the labels of the plot above it.
  subplot ("position", [0.09 + 0.32 * (panel - 1), 0.07, 0.22, 0.33]);
  barh (values, 0.6);
  right = 1.25 * max (values);
  xlim ([0 right]);
  for k = 1:numel (values)
    text (values(k) + 0.02 * right, k, sprintf (value_format, values(k)));
  end
  set (gca, "yticklabel", names, "ydir", "reverse");
  xlabel (x_label); title (plot_title);
end

addpath (fileparts (mfilename ("fullpath")));
find_modules ();
headless_plots ();

T = 60;            % time steps
N = 50;            % particles: few, so that resampling noise matters
runs = 100;        % independent filter runs per resampler, all on the same data
resamplers = {"plainpick", "remainderpick", "layeredpick", "fixedpick"};
R = numel (resamplers);

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

estimates = zeros (T, runs, R);
distinct = zeros (T, runs, R);     % distinct particles after each resampling step
added = zeros (T, runs, R);        % squared error the resampling step adds to the estimate
multinomial = zeros (T, runs, R);  % its expected value under multinomial resampling
for r = 1:R
  resample = str2func (resamplers{r});
  for run = 1:runs
    particles = sqrt (5) * randn (N, 1);
    for t = 1:T
      particles = f (particles, t) + sqrt (10) * randn (N, 1);
      log_w = -0.5 * (y(t) - particles .^ 2 / 20) .^ 2;
      w = exp (log_w - max (log_w));
      w = w / sum (w);
      estimate = sum (w .* particles);
      idx = resample (w);
      estimates(t, run, r) = estimate;
      distinct(t, run, r) = numel (unique (idx));
      added(t, run, r) = (mean (particles(idx)) - estimate) ^ 2;
      multinomial(t, run, r) = sum (w .* (particles - estimate) .^ 2) / N;
      particles = particles(idx);
    end
  end
end

% Pooled over every step of every run: 1 means as noisy as multinomial resampling.
step_noise = squeeze (sum (sum (added, 1), 2) ./ sum (sum (multinomial, 1), 2));
kept = 100 * squeeze (mean (mean (distinct, 1), 2)) / N;
% The variance across runs swings by orders of magnitude from step to step (large where the
% runs disagree on the sign of x, whatever the resampler), so compare it step by step with
% plainpick's and average the log ratios.
run_var = squeeze (var (estimates, 0, 2));
run_var_ratio = exp (mean (log (run_var ./ run_var(:, 1)))).';
rmse = squeeze (sqrt (mean (mean ((estimates - x_true) .^ 2, 1), 2)));

printf ("%d runs of the filter with N = %d particles on the same %d observations\n", runs, N, T);
printf ("%-14s %12s %16s %18s %8s\n", "resampler", "step noise", "distinct kept", "run variance", "RMSE");
for r = 1:R
  printf ("%-14s %12.3f %15.1f%% %18.2f %8.2f\n", resamplers{r}, step_noise(r), kept(r), ...
          run_var_ratio(r), rmse(r));
end
printf ("(step noise: relative to multinomial's expectation; run variance: relative to plainpick)\n");

h = figure ("visible", "off", "position", [0 0 1200 900]);
subplot ("position", [0.06 0.52 0.78 0.42]);
band = quantile (estimates(:, :, 3), [0.05 0.95], 2);
fill ([1:T, T:-1:1].', [band(:, 1); flipud(band(:, 2))], [0.75 0.85 1], "edgecolor", "none");
hold on;
plot (1:T, median (estimates(:, :, 3), 2), "b-", 1:T, x_true, "k-", "linewidth", 1.5);
hold off;
xlim ([1 T]);
legend ("90% of the runs", "median of the runs", "truth", "location", "eastoutside");
xlabel ("time step"); ylabel ("x(t)");
title (sprintf ("The filter's estimate with layeredpick, %d runs with N = %d particles", runs, N));
show_bars (step_noise, resamplers, "%.2f", "squared error, in units of weighted variance / N", ...
           "Noise added by one resampling step", 1);
show_bars (kept, resamplers, "%.0f%%", "% of the particles", ...
           "Distinct particles after resampling", 2);
show_bars (run_var_ratio, resamplers, "%.2f", "relative to plainpick", ...
           "Variance of the estimate across runs", 3);
png_file = demo_output ("particle_filter.png");
print (h, "-dpng", png_file);
printf ("wrote %s\n", png_file);
