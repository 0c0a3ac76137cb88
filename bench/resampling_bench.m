% Times plainpick, remainderpick, layeredpick, fixedpick and classdraw against the vectorised
% Octave code a user would write instead, in one run, and prints the ratios (module time over
% Octave time: below 1 means the module is faster). Run by hand from the source directory after
% building:
%   octave --no-gui --norc --eval "addpath([pwd '/build/octave']); run('bench/resampling_bench.m')"
% Each time is the best of several runs. Not a test: timings depend on the machine's load.
1;

function t = best_time (f, runs)
  t = Inf;
  for r = 1:runs
    tic; f (); t = min (t, toc);
  end
end

rand ("seed", 0); rand ("state", 1);
printf ("%-34s %10s %12s %12s %8s\n", "task", "N", "module (s)", "other (s)", "ratio");
for n = [1e3 1e5 1e7]
  runs = max (3, min (200, round (1e6 / n)));
  w = rand (n, 1);
  w(rand (n, 1) < 0.1) = 0;
  % The same weights with particle 2 made negative: the table is no longer monotone, so the
  % module falls back to plain bisection. Measures what the guide table saves.
  bent = w; bent(2) = -bent(1) / 2;
  p = rand (1000, 1);

  % No space before parentheses inside the cell: it would split the entries.
  tasks = {
    "plainpick vs lookup(cumsum)",      @() plainpick(w),      @() lookup(cumsum(w) / sum(w), rand(n, 1)) + 1;
    "plainpick vs histc(cumsum)",       @() plainpick(w),      @() nthargout(2, @histc, rand(n, 1), [0; cumsum(w) / sum(w)]);
    "remainderpick vs floor+lookup",    @() remainderpick(w),  @() residual_by_hand(w);
    "layeredpick vs lookup(strata)",    @() layeredpick(w),    @() lookup(cumsum(w) / sum(w) * n, (0:n-1)' + rand(n, 1)) + 1;
    "fixedpick vs lookup(0.5 grid)",    @() fixedpick(w),      @() lookup(cumsum(w) / sum(w) * n, (0:n-1)' + 0.5) + 1;
    "classdraw(p,N,1) K=1000 vs lookup", @() classdraw(p, n, 1), @() lookup(cumsum(p) / sum(p), rand(n, 1)) + 1;
    "plainpick guided vs bisection",    @() plainpick(w),      @() plainpick(bent);
  };
  for k = 1:size (tasks, 1)
    tm = best_time (tasks{k, 2}, runs);
    to = best_time (tasks{k, 3}, runs);
    printf ("%-34s %10d %12.6f %12.6f %8.2f\n", tasks{k, 1}, n, tm, to, tm / to);
  end
end
