% Independent Gibbs chains run in parallel, reproducible whatever the number of processes.
%
%   octave --no-gui demo/parallel_chains.m [FOLDER]
%
% Writes parallel_chains.png into FOLDER (default: build/demo/ under the project root).
%
% Several chains of the Gibbs sampler of demo/gibbs_hierarchical.m, started far apart, show whether
% the sampler has forgotten where it started: once it has, the chains agree, and the Gelman-Rubin
% statistic R-hat (the spread of all the draws over the spread within a chain) is close to 1.
%
% Chains are independent, so they can run at once in separate Octave processes: parcellfun from
% Octave's parallel package (pkg load parallel; Debian's octave-parallel) hands the chains to
% its worker processes in whatever order they become free. To make the result independent of that
% order, each chain seeds the generators itself, at its start, from the master seed and its own
% index (demo/gibbs_chain.m):
%   unitseed (master, k);     % rand ("state", [master, k, 1]);  randn ("state", [master, k, 2]);
% and draws only from them. (demo/cluster/ runs chains this way as a Slurm job array.) Chain k is then the same in any worker, with 1, 2 or 4 processes, and
% the same as when the chains run one after another with cellfun; the demo checks the last.
% Without the parallel package the chains run one after another, with the same result. These
% chains are short: starting the worker sessions takes seconds, about what it saves here; the gain
% grows with the length of the chains.
1;

function r = rhat (draws)
  % Gelman-Rubin potential scale reduction of DRAWS (iterations-by-chains).
  n = rows (draws);
  within = mean (var (draws));
  between = n * var (mean (draws));
  r = sqrt (((n - 1) / n * within + between / n) / within);
end

addpath (fileparts (mfilename ("fullpath")));
find_modules ();
headless_plots ();

% The data of demo/gibbs_hierarchical.m.
rand ("state", 7); randn ("state", 7);
y = hierarchical_data ();

master = 2026;                        % one seed for the whole run
chains = 4;
sweeps = 2000;
starts = 10 .^ linspace (-2, 2, chains);   % tau2 = sigma2(j) = 0.01 ... 100 at the start
chain_k = @(k) gibbs_chain (master, k, y, sweeps, starts(k));

% The chains one after another, then on worker processes (as many as there are cores).
tic;
results = cellfun (chain_k, num2cell (1:chains), "UniformOutput", false);
printf ("%d chains of %d sweeps one after another: %.1f s\n", chains, sweeps, toc);
if (isempty (pkg ("list", "parallel")))
  printf ("no parallel run: the parallel package is not installed (Debian: octave-parallel)\n");
else
  pkg load parallel;
  workers = nproc ();
  tic;
  in_parallel = parcellfun (workers, chain_k, num2cell (1:chains), "UniformOutput", false, ...
                            "VerboseLevel", 0);
  parcellfun_set_nproc (0);           % end the worker processes
  printf ("the same on %d worker processes: %.1f s\n", workers, toc);
  assert (isequal (in_parallel, results), "the parallel chains differ from the sequential ones");
  printf ("identical, bit for bit\n");
end

% R-hat of tau and of each group's sigma after m sweeps, from the second half of them (the
% first half is discarded as burn-in, as Gelman and Rubin do).
tau = cell2mat (cellfun (@(c) sqrt (c.tau2), results, "UniformOutput", false));
sigma = cellfun (@(c) sqrt (c.sigma2), results, "UniformOutput", false);
J = columns (y);
checkpoints = unique (round (logspace (1, log10 (sweeps), 60)));
rhat_tau = zeros (size (checkpoints));
rhat_sigma = zeros (numel (checkpoints), J);
for i = 1:numel (checkpoints)
  half = floor (checkpoints(i) / 2) + 1:checkpoints(i);
  rhat_tau(i) = rhat (tau(half, :));
  for j = 1:J
    rhat_sigma(i, j) = rhat (cell2mat (cellfun (@(s) s(half, j), sigma, "UniformOutput", false)));
  end
end
printf ("R-hat after %d sweeps: tau %.3f, group sigmas %.3f to %.3f\n", sweeps, rhat_tau(end), ...
        min (rhat_sigma(end, :)), max (rhat_sigma(end, :)));
printf ("posterior mean of tau, each chain (second half): %s\n", ...
        sprintf ("%.3f ", mean (tau(sweeps / 2 + 1:end, :))));

h = figure ("visible", "off", "position", [0 0 1000 750]);
subplot ("position", [0.08 0.58 0.75 0.36]);
shown = 30;
semilogy (0:shown, [sqrt(starts); tau(1:shown, :)], "o-", "markersize", 3);
legend (arrayfun (@(k) sprintf ("chain %d", k), 1:chains, "UniformOutput", false), ...
        "location", "eastoutside");
xlabel ("sweep (0: the starting value)"); ylabel ("tau (log scale)");
title (sprintf ("The first %d sweeps of %d chains started far apart", shown, chains));
subplot ("position", [0.08 0.08 0.75 0.36]);
semilogx (checkpoints, rhat_sigma, "-", "color", [0.7 0.7 0.7], ...
          checkpoints, rhat_tau, "b-", "linewidth", 1.5, ...
          [checkpoints(1) sweeps], [1.01 1.01], "k--");
xlim ([checkpoints(1) sweeps]);
ylim ([0.99 1.3]);
xlabel ("sweeps m, log scale (R-hat from sweeps m/2+1 to m)"); ylabel ("R-hat");
title ("Gelman-Rubin R-hat: tau (blue), each group's sigma (grey), 1.01 (dashed)");
png_file = demo_output ("parallel_chains.png");
print (h, "-dpng", png_file);
printf ("wrote %s\n", png_file);
