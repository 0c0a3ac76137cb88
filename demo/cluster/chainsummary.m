function chainsummary(folder, n)
%CHAINSUMMARY  The gather step of the cluster demo: the chains of chainunit, summarised.
%
%   chainsummary(FOLDER, N) loads the N chains that the job array saved to FOLDER, in index
%   order (unitgather), and prints the posterior means of mu, tau and each theta(j) from
%   the second half of every chain, with the Gelman-Rubin R-hat of each (close to 1 when the
%   chains agree). When a chain is missing or failed it names them, prints the sbatch
%   command that runs just those again, and ends with an error, so that a gather step run
%   as a job of its own fails.
%   Defaults: FOLDER 'results', N 8.
if nargin < 1
    folder = 'results';
end
if nargin < 2
    n = 8;
end
[chains, missing, failed] = unitgather(folder, n, 'chains.sbatch');
if ~isempty(missing) || ~isempty(failed)
    error('chainsummary:incomplete', '%d of %d chains are not done.', numel(missing) + numel(failed), n);
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
