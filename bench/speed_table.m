% The speed table of the value-by-value gamma family, studentdraw and the deterministic
% resamplers: each module call against the Octave code a user would run instead, on a million
% elements, in one run. Run from the project root after a build (scripts/bench.sh runs it):
%
%   octave --no-gui --norc --quiet bench/speed_table.m
%
% The modules come from build/octave, or from the folder in the environment variable
% MONTEMEX_BENCH_MODULES (to time another build the same way). Module and alternative are timed
% in turn, `runs` times each, in processor time (cputime: other work on a shared machine does not
% count); each time printed is the median of its runs, and the ratio is
% module / alternative (below 1: the module is faster). The floor row compares shapedraw with
% the uniforms it must consume alone (about 3 per variate for shape 4): no method drawing from
% the host's rand can go below it. With MONTEMEX_BENCH_BEFORE set to the module folder of another
% build (bench/before_modules.m), its modules are timed in the same turns, and "/before" is this
% build's time over that one's. Not a test: timings depend on the machine's load.
1;

function [tm, ta, tb] = alternating_medians (module, alternative, before, runs)
  tm = zeros (runs, 1);
  ta = zeros (runs, 1);
  tb = NaN (runs, 1);
  for r = 1:runs
    t = cputime (); module (); tm(r) = cputime () - t;
    t = cputime (); alternative (); ta(r) = cputime () - t;
    if (! isempty (before))
      t = cputime (); before (); tb(r) = cputime () - t;
    end
  end
  tm = median (tm);
  ta = median (ta);
  tb = median (tb);
end

modules = getenv ("MONTEMEX_BENCH_MODULES");
if (isempty (modules))
  modules = fullfile (pwd, "build", "octave");
end
addpath (modules);
addpath (fileparts (mfilename ("fullpath")));
before_dir = before_modules ();
have_before = ! isempty (before_dir);
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
% The same calls with the other build's modules.
befores = {@() shapedraw_before(3, 8, m, n); @() shapedraw_before(3, 8, m, n); @() shapedraw_before(3, 0.5, m, n);
           @() recipshapedraw_before(3, 8, m, n); @() studentdraw_before(5, m, n); @() layeredpick_before(w);
           @() fixedpick_before(w)};
printf ("modules: %s; median of %d alternating runs\n", modules, runs);
printf ("%-34s %-56s %9s %9s %6s %6s", "module", "alternative", "module", "altern.", "ratio", "goal");
if (have_before)
  printf (" %9s %7s", "before", "/before");
end
printf ("\n");
for k = 1:size (rows, 1)
  before = {};
  if (have_before)
    before = befores{k};
    before ();
  end
  rows{k, 2} (); rows{k, 4} ();   % warm up: load the module, touch the memory
  [tm, ta, tb] = alternating_medians (rows{k, 2}, rows{k, 4}, before, runs);
  printf ("%-34s %-56s %6.1f ms %6.1f ms %6.2f %6.1f", rows{k, 1}, rows{k, 3}, 1000 * tm, 1000 * ta, tm / ta, rows{k, 5});
  if (have_before)
    printf (" %6.1f ms %7.2f", 1000 * tb, tm / tb);
  end
  printf ("\n");
end
if (have_before)
  rmpath (before_dir);
  confirm_recursive_rmdir (false);
  rmdir (before_dir, "s");
end
