function chainsummary(folder, n, pertask, master)
%CHAINSUMMARY  The gather step of the cluster demo: the chains of chainunit, summarised.
%
%   chainsummary(FOLDER, N) loads the N chains that the job array saved to FOLDER, in index
%   order (unitgather), and prints the posterior means of mu, tau and each theta(j) from
%   the second half of every chain, with the Gelman-Rubin R-hat of each (close to 1 when the
%   chains agree). When a chain is missing, failed or its file rejected it names them,
%   prints the sbatch commands that run just the tasks holding them again, and ends with an
%   error, so that a gather step run as a job of its own fails.
%   chainsummary(FOLDER, N, PERTASK) for a job array whose tasks ran PERTASK chains each
%   (sbatch --array=... chains.sbatch N PERTASK); chainsummary(FOLDER, N, PERTASK, MASTER)
%   for a master seed other than chains.sbatch's 2026.
%   Defaults: FOLDER 'results', N 8, PERTASK 1, MASTER 2026.
if nargin < 1
    folder = 'results';
end
if nargin < 2
    n = 8;
end
if nargin < 3
    pertask = 1;
end
if nargin < 4
    master = 2026;
end
[chains, missing, failed, rejected] = unitgather(folder, master, n, 'chains.sbatch', pertask);
left = numel(missing) + numel(failed) + numel(rejected);
if left > 0
    error('chainsummary:incomplete', '%d of %d chains are not done.', left, n);
end
sweeps = numel(chains{1}.mu);
half = floor(sweeps / 2) + 1:sweeps;       % the first half is burn-in
draws = cellfun(@(c) [c.mu(half), c.tau(half), c.theta(half, :)], chains, 'UniformOutput', false);
names = [{'mu', 'tau'}, arrayfun(@(j) sprintf('theta(%d)', j), 1:8, 'UniformOutput', false)];
fprintf('%d chains of %d sweeps, second halves:\n%-9s %8s %7s\n', n, sweeps, '', 'mean', 'R-hat');
for i = 1:numel(names)
    one = cell2mat(cellfun(@(d) d(:, i), draws, 'UniformOutput', false));   % sweeps-by-chains
    fprintf('%-9s %8.3f %7.3f\n', names{i}, mean(one(:)), rhat(one));
end
end

function r = rhat(draws)
% Gelman-Rubin potential scale reduction of DRAWS (iterations-by-chains).
m = size(draws, 1);
within = mean(var(draws));
between = m * var(mean(draws));
r = sqrt(((m - 1) / m * within + between / m) / within);
end
