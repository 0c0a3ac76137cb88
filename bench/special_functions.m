% Times psivalue against Octave's psi, and squashfn against tanh and the vectorised formula a
% user would write, on 1e7 elements each, in one run. Run by hand from the repository root after
% a build:
%   octave --no-gui --norc --eval "addpath([pwd '/build/octave']); run('bench/special_functions.m')"
% Each figure is the best of three runs in processor time (cputime, so that other work on a shared
% machine does not count); a ratio below 1 means the module is faster.
1;

function t = best_time (f, x)
  t = Inf;
  for k = 1:3
    start = cputime (); f (x); t = min (t, cputime () - start);
  end
end

function report (label, x, module, builtin)
  a = best_time (module, x);
  b = best_time (builtin, x);
  printf ("%-44s %8.1f ms %8.1f ms   ratio %.2f\n", label, 1000 * a, 1000 * b, a / b);
end

n = 1e7;
rand ("state", 1); randn ("state", 1);
printf ("%-44s %11s %11s\n", "1e7 elements", "module", "builtin");
report ("psivalue / psi, x in (0, 20)", 20 * rand (n, 1), @psivalue, @psi);
report ("psivalue / psi, x in (5, 1005) (no shift)", 5 + 1000 * rand (n, 1), @psivalue, @psi);
report ("psivalue / psi, x in (-20, 0)", -20 * rand (n, 1), @psivalue, @psi);
report ("squashfn / tanh, x = 0 (the call itself)", zeros (n, 1), @squashfn, @tanh);
report ("squashfn / tanh, x = 5 randn", 5 * randn (n, 1), @squashfn, @tanh);
report ("squashfn / tanh, x in (-18, 18)", 36 * rand (n, 1) - 18, @squashfn, @tanh);
report ("squashfn / 1 - 2./(exp(2*x)+1), (-18, 18)", 36 * rand (n, 1) - 18, @squashfn, ...
        @(x) 1 - 2 ./ (exp (2 * x) + 1));
