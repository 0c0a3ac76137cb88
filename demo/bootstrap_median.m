% The Bayesian bootstrap of a median and a mean.
%
%   octave --no-gui demo/bootstrap_median.m [FOLDER]
%
% Writes bootstrap_median.png into FOLDER (default: build/demo/ under the project root).
%
% The Bayesian bootstrap (Rubin 1981) treats the n observations as the only possible values and
% puts a flat Dirichlet distribution on their probabilities. Each posterior draw gives every
% observation a random weight (normalised standard exponentials) and computes the statistic under
% those weights:
%   weightavgdraw(x, B)                    B draws of the weighted mean
%   weightquantdraw(sort(x), 50, B)        B draws of the weighted median (x must be sorted)
% Compared here with the classical bootstrap, which resamples the data with replacement:
% plainpick(ones(n, 1)) gives n indices drawn uniformly.
1;
addpath (fileparts (mfilename ("fullpath")));
find_modules ();
headless_plots ();

% Skewed data: 40 incomes (lognormal), where mean and median differ.
rand ("state", 11); randn ("state", 11);
x = exp (10 + 0.8 * randn (40, 1));
n = numel (x);
B = 4000;

bayes_mean = weightavgdraw (x, B);
bayes_median = weightquantdraw (sort (x), 50, B);
classic_mean = zeros (B, 1);
classic_median = zeros (B, 1);
for b = 1:B
  resampled = x(plainpick (ones (n, 1)));
  classic_mean(b) = mean (resampled);
  classic_median(b) = median (resampled);
end

printf ("%-28s %12s %12s\n", "", "mean", "median");
printf ("%-28s %12.0f %12.0f\n", "sample", mean (x), median (x));
printf ("%-28s %12.0f %12.0f\n", "Bayesian bootstrap, mean", mean (bayes_mean), mean (bayes_median));
printf ("%-28s %12.0f %12.0f\n", "Bayesian bootstrap, sd", std (bayes_mean), std (bayes_median));
printf ("%-28s %12.0f %12.0f\n", "classical bootstrap, sd", std (classic_mean), std (classic_median));

h = figure ("visible", "off", "position", [0 0 1000 450]);
edges = linspace (min ([bayes_median; classic_median; bayes_mean]), max ([bayes_mean; classic_mean]), 60);
subplot (1, 2, 1);
hist (bayes_mean, edges);
[counts, centres] = hist (classic_mean, edges);
hold on;
plot (centres, counts, "k-", "linewidth", 1.5);
plot ([mean(x) mean(x)], ylim (), "r-", "linewidth", 2);
hold off;
legend ("Bayesian bootstrap", "classical bootstrap", "sample mean");
xlabel ("income"); ylabel ("draws");
title (sprintf ("The mean (weightavgdraw, B = %d)", B));
subplot (1, 2, 2);
hist (bayes_median, edges);
[counts, centres] = hist (classic_median, edges);
hold on;
plot (centres, counts, "k-", "linewidth", 1.5);
plot ([median(x) median(x)], ylim (), "r-", "linewidth", 2);
hold off;
legend ("Bayesian bootstrap", "classical bootstrap", "sample median");
xlabel ("income"); ylabel ("draws");
title ("The median (weightquantdraw)");
png_file = demo_output ("bootstrap_median.png");
print (h, "-dpng", png_file);
printf ("wrote %s\n", png_file);
