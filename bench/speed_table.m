% The speed table of the value-by-value gamma family, studentdraw and the deterministic
% resamplers: each module call against the Octave code a user would run instead, on a million
% elements, in one run. Run from the project root after a build (scripts/bench.sh runs it):
%
%   octave --no-gui --norc --quiet bench/speed_table.m
%
% The modules come from build/octave, or from the folder in the environment variable
% MONTEMEX_BENCH_MODULES (to time another build the same way). Module and alternative are timed
% in turn, `runs` times each; each time printed is the median of its runs, and the ratio is
% module / alternative (below 1: the module is faster). The floor row compares shapedraw with
% the uniforms it must consume alone (about 3 per variate for shape 4): no method drawing from
% the host's rand can go below it. Not a test: timings depend on the machine's load.
1;

function [tm, ta] = alternating_medians (module, alternative, runs)
  tm = zeros (runs, 1);
  ta = zeros (runs, 1);
  for r = 1:runs
    tic; module (); tm(r) = toc;
    tic; alternative (); ta(r) = toc;
  end
  tm = median (tm);
  ta = median (ta);
end

modules = getenv ("MONTEMEX_BENCH_MODULES");
if (isempty (modules))
  modules = fullfile (pwd, "build", "octave");
end
addpath (modules);
runs = 9;
m = 1000; n = 1000; N = 1e6;
rand ("state", 1); randn ("state", 1);
w = rand (N, 1);
% No space before parentheses inside the cell: it would split the entries.
rows = {
  "shapedraw(3, 8, 1000, 1000)",    @() shapedraw(3, 8, m, n),       "2*randg(4, m, n)*3/8",                          @() 2*randg(4, m, n)*3/8,                        1.5;
  "shapedraw(3, 8, 1000, 1000)",    @() shapedraw(3, 8, m, n),       "rand(3e6, 1) (floor: the uniforms it consumes)", @() rand(3e6, 1),                                 2.0;
  "shapedraw(3, 0.5, 1000, 1000)",  @() shapedraw(3, 0.5, m, n),     "2*randg(0.25, m, n)*6",                         @() 2*randg(0.25, m, n)*6,                       1.5;
  "recipshapedraw(3, 8, 1000, 1000)", @() recipshapedraw(3, 8, m, n), "12 ./ randg(4, m, n)",                         @() 12 ./ randg(4, m, n),                        1.5;
  "studentdraw(5, 1000, 1000)",     @() studentdraw(5, m, n),        "randn(m,n) ./ sqrt(2*randg(2.5, m, n)/5)",      @() randn(m, n) ./ sqrt(2*randg(2.5, m, n)/5),   1.5;
  "layeredpick(w), N = 1e6",        @() layeredpick(w),              "lookup(cumsum(w)/sum(w), ((0:N-1)'+rand(N,1))/N) + 1", @() lookup(cumsum(w)/sum(w), ((0:N-1)'+rand(N,1))/N) + 1, 0.5;
  "fixedpick(w), N = 1e6",          @() fixedpick(w),                "lookup(cumsum(w)/sum(w), ((0:N-1)'+0.5)/N) + 1", @() lookup(cumsum(w)/sum(w), ((0:N-1)'+0.5)/N) + 1, 0.5;
};
printf ("modules: %s; median of %d alternating runs\n", modules, runs);
printf ("%-34s %-56s %9s %9s %6s %6s\n", "module", "alternative", "module", "altern.", "ratio", "goal");
for k = 1:size (rows, 1)
  rows{k, 2} (); rows{k, 4} ();   % warm up: load the module, touch the memory
  [tm, ta] = alternating_medians (rows{k, 2}, rows{k, 4}, runs);
  printf ("%-34s %-56s %6.1f ms %6.1f ms %6.2f %6.1f\n", rows{k, 1}, rows{k, 3}, 1000 * tm, 1000 * ta, tm / ta, rows{k, 5});
end
