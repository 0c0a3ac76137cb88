function bench_bootstrap (mode, only)
  % BENCH_BOOTSTRAP  Times the bootstrap and simplex modules against the vectorised Octave code a
  % user would write instead, in one run, and prints the ratios (module time / user code time,
  % best of three). Times are process CPU seconds (cputime), steadier than wall time on a shared
  % machine. Run by hand from the repository root after building:
  %   octave --no-gui --norc --eval "addpath('build/octave'); addpath('bench'); bench_bootstrap"
  % mode "module" or "vectorised" runs only one side, for measuring each side's peak memory:
  %   /usr/bin/time -v octave ... --eval "...; bench_bootstrap('module', 2)"
  % where the second argument runs only that weightavgdraw case (1 or 2).
  if (nargin < 1)
    mode = "both";
  end
  cases = {[1000 10 4000], [1e5 1 1000]};
  if (nargin >= 2)
    cases = cases(only);
  end
  runModule = any (strcmp (mode, {"both", "module"}));
  runUser = any (strcmp (mode, {"both", "vectorised"}));

  printf ("%-44s %10s %10s %8s\n", "case", "module s", "user s", "ratio");
  for c = cases
    n = c{1}(1); m = c{1}(2); B = c{1}(3);
    rand ("state", 1); X = rand (n, m);
    tm = NaN; tu = NaN;
    if (runModule)
      tm = best_of (@() weightavgdraw (X, B));
    end
    if (runUser)
      tu = best_of (@() user_means (X, B));
    end
    if (runModule && runUser)
      rand ("state", 2); M = weightavgdraw (X, B);
      rand ("state", 2); V = user_means (X, B);
      printf ("  (largest difference from the user code: %.3g)\n", max (abs (M(:) - V(:))));
    end
    report (sprintf ("weightavgdraw n=%g m=%g B=%g", n, m, B), tm, tu);
  end
  if (nargin >= 2)
    return;
  end

  % simplexdraw against -log(rand) normalised by column sums.
  K = 10; M = 1e5;
  report (sprintf ("simplexdraw K=%g M=%g", K, M), ...
          ifelse_time (runModule, @() simplexdraw (K, M)), ...
          ifelse_time (runUser, @() user_simplex (K, M)));

  % weightquantdraw against a loop of interp1 over cumulative weights.
  n = 1000; B = 2000; P = [2.5 50 97.5];
  x = sort (rand (n, 1));
  report (sprintf ("weightquantdraw n=%g K=%g B=%g", n, numel (P), B), ...
          ifelse_time (runModule, @() weightquantdraw (x, P, B)), ...
          ifelse_time (runUser, @() user_percentiles (x, P, B)));
end

function M = user_means (X, B)
  E = -log (rand (size (X, 1), B));
  G = E ./ sum (E);
  M = G' * X;
end

function R = user_simplex (K, M)
  E = -log (rand (K, M));
  R = E ./ sum (E);
end

function Q = user_percentiles (x, P, B)
  n = numel (x);
  E = -log (rand (n, B));
  C = cumsum (E) ./ sum (E);
  Q = zeros (B, numel (P));
  for s = 1:B
    Q(s, :) = interp1 ([0; C(:, s)], [x(1); x], P / 100);
  end
end

function t = ifelse_time (run, f)
  t = NaN;
  if (run)
    t = best_of (f);
  end
end

function t = best_of (f)
  t = Inf;
  for r = 1:3
    rand ("state", r);
    start = cputime (); f (); t = min (t, cputime () - start);
  end
end

function report (name, tm, tu)
  printf ("%-44s %10.4f %10.4f %8.2f\n", name, tm, tu, tm / tu);
end
