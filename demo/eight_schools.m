function eight_schools(folder)
%EIGHT_SCHOOLS  A Gibbs sampler for the eight schools, in MATLAB or GNU Octave.
%
%   eight_schools() runs four chains of a Gibbs sampler for the eight schools of Rubin (1981)
%   and compares what they give with the exact posterior, computed by numerical integration
%   over tau. eight_schools(FOLDER) also writes the plot eight_schools.png into FOLDER.
%
%   It runs unchanged in both hosts, with montemex on the path:
%     MATLAB:  montemex_build, addpath mex, addpath <project>/demo, then eight_schools
%     Octave:  pkg load montemex (or addpath build/octave), addpath demo, then eight_schools
%   Each chain seeds the generators with unitseed(2026, k), so a run gives the same numbers
%   every time on one host (Octave and MATLAB draw different numbers from the same seed).
%
%   The model: school j's estimated coaching effect y(j) has standard error sigma(j),
%   y(j) ~ N(theta(j), sigma(j)^2); theta(j) ~ N(mu, tau^2); flat priors on mu and tau.
%   Each sweep draws every parameter from its distribution given the others:
%     theta(j) ~ N(v(j) (y(j)/sigma(j)^2 + mu/tau^2), v(j)), v(j) = 1/(1/sigma(j)^2 + 1/tau^2)
%     mu       ~ N(mean(theta), tau^2/J)
%     tau^2    ~ Scaled-Inv-chi2(J - 1, sum((theta - mu).^2)/(J - 1))     one recipshapedraw

y = [28 8 -3 7 -1 1 18 12];
sigma = [15 10 16 11 9 11 10 18];
J = numel(y);
chains = 4;
sweeps = 10000;
burn = 1000;
if exist('recipshapedraw') ~= 3 %#ok<EXIST>
    error('eight_schools:noMontemex', ...
          'montemex is not on the path: in Octave pkg load montemex, in MATLAB montemex_build and addpath mex.');
end

% The sampler: every chain seeds itself, starts far from the others and runs its sweeps.
mus = zeros(sweeps - burn, chains);
taus = zeros(sweeps - burn, chains);
thetas = zeros(sweeps - burn, J, chains);
for k = 1:chains
    unitseed(2026, k);
    mu = 20 * randn();
    tau2 = 100 * waitdraw(1);
    for s = 1:sweeps
        v = 1 ./ (1 ./ sigma .^ 2 + 1 / tau2);
        theta = v .* (y ./ sigma .^ 2 + mu / tau2) + sqrt(v) .* randn(1, J);
        mu = mean(theta) + sqrt(tau2 / J) * randn();
        tau2 = recipshapedraw(sum((theta - mu) .^ 2) / (J - 1), J - 1);
        if s > burn
            mus(s - burn, k) = mu;
            taus(s - burn, k) = sqrt(tau2);
            thetas(s - burn, :, k) = theta;
        end
    end
end

% The exact posterior: p(tau | y) up to a constant on a grid of tau, with the mean of mu and of each
% theta(j) given tau (Gelman et al., Bayesian Data Analysis, section 5.4).
tauGrid = linspace(0.01, 200, 20000)';
logp = zeros(size(tauGrid));
muhat = zeros(size(tauGrid));
thetahat = zeros(numel(tauGrid), J);
for i = 1:numel(tauGrid)
    w = 1 ./ (sigma .^ 2 + tauGrid(i) ^ 2);
    vmu = 1 / sum(w);
    muhat(i) = vmu * sum(w .* y);
    logp(i) = 0.5 * log(vmu) + sum(0.5 * log(w) - (y - muhat(i)) .^ 2 .* w / 2);
    thetahat(i, :) = (y ./ sigma .^ 2 + muhat(i) / tauGrid(i) ^ 2) ./ (1 ./ sigma .^ 2 + 1 / tauGrid(i) ^ 2);
end
p = exp(logp - max(logp));
p = p / trapz(tauGrid, p);
exactTau = trapz(tauGrid, tauGrid .* p);
exactMu = trapz(tauGrid, muhat .* p);
exactTheta = trapz(tauGrid, thetahat .* repmat(p, 1, J));
exactBelow5 = trapz(tauGrid(tauGrid <= 5), p(tauGrid <= 5));

% The Gibbs estimates differ from the exact values by Monte Carlo error, which the batch means
% estimate: successive draws of a chain are correlated, so it is larger than std / sqrt(draws).
fprintf('Eight schools: %d chains of %d sweeps, the first %d of each dropped\n', chains, sweeps, burn);
fprintf('%-12s %8s %9s %8s %7s\n', '', 'Gibbs', 'MC error', 'exact', 'R-hat');
showRow('mean mu', mus, exactMu);
showRow('mean tau', taus, exactTau);
showRow('P(tau < 5)', double(taus < 5), exactBelow5);
for j = 1:J
    showRow(sprintf('mean theta%d', j), squeeze(thetas(:, j, :)), exactTheta(j));
end

if nargin > 0
    plotTau(folder, taus(:), tauGrid, p);
end
end

function showRow(name, draws, exact)
% One line of the table: the mean of DRAWS (iterations-by-chains), its Monte Carlo error from the
% means of 20 batches per chain, the exact value and R-hat.
batches = reshape(draws, [], 20 * size(draws, 2));
mcError = std(mean(batches)) / sqrt(size(batches, 2));
fprintf('%-12s %8.3f %9.3f %8.3f %7.3f\n', name, mean(draws(:)), mcError, exact, rhat(draws));
end

function r = rhat(draws)
% Gelman-Rubin potential scale reduction of DRAWS (iterations-by-chains): close to 1 when the
% chains agree.
m = size(draws, 1);
within = mean(var(draws));
between = m * var(mean(draws));
r = sqrt(((m - 1) / m * within + between / m) / within);
end

function plotTau(folder, taus, tauGrid, p)
% The draws of tau as a histogram scaled to a density, with the exact density over it.
if exist('OCTAVE_VERSION', 'builtin') && isempty(getenv('DISPLAY'))
    warning('off', 'Octave:gnuplot-graphics');
    graphics_toolkit('gnuplot');   % draws off screen without a display
end
if ~exist(folder, 'dir')
    mkdir(folder);
end
width = 1;
edges = 0:width:40;
inside = taus < edges(end);
counts = accumarray(floor(taus(inside) / width) + 1, 1, [numel(edges) - 1, 1]);
h = figure('Visible', 'off');
bar(edges(1:end - 1) + width / 2, counts / (numel(taus) * width), 1);
hold on;
shown = tauGrid <= 40;
plot(tauGrid(shown), p(shown), 'r', 'LineWidth', 2);
hold off;
xlabel('tau');
ylabel('density');
legend('Gibbs draws (recipshapedraw)', 'exact posterior');
title('Eight schools: the posterior of tau');
file = fullfile(folder, 'eight_schools.png');
print(h, '-dpng', file);
close(h);
fprintf('wrote %s\n', file);
end
