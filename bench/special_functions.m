% Times psivalue against Octave's psi, and squashfn against tanh and the vectorised formula a
% user would write, on 1e7 elements each, in one run. Run from the repository root after a build
% (scripts/bench.sh runs it):
%   octave --no-gui --norc --eval "run('bench/special_functions.m')"
% Modules come from build/octave (or MONTEMEX_BENCH_MODULES), floor_result from build/octave-bench.
%
% Each figure is the median of 7 runs in processor time (cputime, so that other work on a shared
% machine does not count), module and builtin in turn; the ratio's range over the runs shows the
% noise. A ratio below 1 means the module is faster. The last column is the host's own share of the
% module's call: floor_result, a module that only creates a result of the argument's size and
% hands it back, as psivalue and squashfn do before they compute anything.
1;

function report (label, x, module, builtin)
  runs = 7;
  t = zeros (runs, 3);
  for r = 1:runs
    start = cputime (); y = module (x); t(r, 1) = cputime () - start; clear y;
    start = cputime (); y = builtin (x); t(r, 2) = cputime () - start; clear y;
    start = cputime (); y = floor_result (x); t(r, 3) = cputime () - start; clear y;
  end
  m = median (t);
  ratios = t(:, 1) ./ t(:, 2);
  printf ("%-44s %8.1f ms %8.1f ms   %5.2f (%.2f-%.2f) %8.1f ms\n", label, 1000 * m(1), 1000 * m(2), ...
          m(1) / m(2), min (ratios), max (ratios), 1000 * m(3));
end

root = fileparts (fileparts (mfilename ("fullpath")));
modules = getenv ("MONTEMEX_BENCH_MODULES");
if (isempty (modules))
  modules = fullfile (root, "build", "octave");
end
addpath (modules);
addpath (fullfile (root, "build", "octave-bench"));
n = 1e7;
rand ("state", 1); randn ("state", 1);
printf ("load average at the start: %s\n", strtrim (fileread ("/proc/loadavg")));
printf ("%-44s %11s %11s   %-16s %11s\n", "1e7 elements", "module", "builtin", "ratio (range)", "host share");
report ("psivalue / psi, x in (0, 1)", rand (n, 1), @psivalue, @psi);
report ("psivalue / psi, x in (0, 20)", 20 * rand (n, 1), @psivalue, @psi);
report ("psivalue / psi, x in (5, 1005) (no shift)", 5 + 1000 * rand (n, 1), @psivalue, @psi);
report ("psivalue / psi, x in (-20, 0)", -20 * rand (n, 1), @psivalue, @psi);
report ("squashfn / tanh, x = 0 (the call itself)", zeros (n, 1), @squashfn, @tanh);
report ("squashfn / tanh, x = 5 randn", 5 * randn (n, 1), @squashfn, @tanh);
report ("squashfn / tanh, x in (-18, 18)", 36 * rand (n, 1) - 18, @squashfn, @tanh);
report ("squashfn / 1 - 2./(exp(2*x)+1), (-18, 18)", 36 * rand (n, 1) - 18, @squashfn, ...
        @(x) 1 - 2 ./ (exp (2 * x) + 1));
printf ("load average at the end: %s\n", strtrim (fileread ("/proc/loadavg")));
