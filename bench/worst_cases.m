% Worst cases: the time per element of every module whose work per element depends on the values
% it is given, on adversarial arrays at two sizes a hundred times apart. A call's time must grow
% linearly with its elements whatever the values, so the two figures of a row should agree; the
% last column is their ratio, marked "!" beyond 1.5. Run by hand from the source root after a
% build (not a test: timings depend on the machine's load), as scripts/bench.sh does:
%   MALLOC_MMAP_THRESHOLD_=33554432 MALLOC_TRIM_THRESHOLD_=1073741824 \
%     octave --no-gui --norc --quiet bench/worst_cases.m
% The two variables let Octave reuse the memory of freed arrays up to 32 MB instead of mapping
% fresh pages for every array above 128 kB, which on virtual machines can cost more than the
% work itself (Octave's own x + 1 then takes 20 times longer per element at 1e6 elements than at
% 1e4). The first rows show what the machine itself does per element at the two sizes, reading
% and writing in order (x + 1) and reading in random order (x(p)): beyond the processor's caches,
% at 1e6 elements, every element costs a little more whatever computes it.
%
% Time per element: (t(n) - t(1)) / (n - 1), t(n) the processor time of one call of size n, so
% that the fixed cost of a call does not count. The sizes are 1e4 and 1e6 elements unless
% WORST_CASES_N gives the smaller one; WORST_CASES="shapedraw psivalue" times only the modules
% named. For scalehyperdraw, which draws one value, the "size" is its argument N and the figures
% are the time of a whole call.
1;

% Processor seconds (cputime, so that other work on a shared machine counts as little as possible)
% of one call of f, from a batch of calls lasting at least 0.1 s; a call that takes longer than
% half a second is timed alone.
function t = batch_seconds (f)
  start = cputime (); f (); t = cputime () - start;
  if t > 0.5
    return;
  end
  calls = max (1, ceil (0.1 / max (t, 1e-5)));
  start = cputime ();
  for k = 1:calls
    f ();
  end
  t = min (t, (cputime () - start) / calls);
end

% One row: the call made by call(inputs(n)) at sizes n1 and 100 n1 (and 1, to take away the
% fixed cost), each the best of three rounds that take turns, so that a spell of load on the
% machine does not fall on one size alone. With perCall, the time of the whole call instead of
% the time per element.
function ratio = report (module, pattern, inputs, call, n1, perCall)
  perCall = nargin > 5 && perCall;
  only = getenv ("WORST_CASES");
  if ! isempty (only) && module(1) != "(" && isempty (strfind ([" " only " "], [" " module " "]))
    ratio = NaN;
    return;
  end
  sizes = [1, n1, 100 * n1];
  a = {inputs(1), inputs(sizes(2)), inputs(sizes(3))};
  t = Inf (1, 3);
  for round = 1:3
    for k = 1 + perCall:3
      t(k) = min (t(k), batch_seconds (@() call (a{k})));
    end
  end
  if perCall
    perElement = t(2:3);
  else
    perElement = (t(2:3) - t(1)) ./ (sizes(2:3) - 1);
  end
  ratio = perElement(2) / perElement(1);
  mark = " ";
  if ratio > 1.5 || ratio < 1 / 1.5
    mark = "!";
  end
  printf ("%-15s %-22s %8d %10.1f %9d %10.1f %7.2f %s\n", module, pattern, sizes(2), 1e9 * perElement(1), ...
          sizes(3), 1e9 * perElement(2), ratio, mark);
end

% A column of n values: `values` repeated element by element, or in runs of `run` elements.
function x = cycle (values, n, run)
  if nargin < 3
    run = 1;
  end
  x = values(mod (floor ((0:n-1)' / run), numel (values)) + 1);
  x = x(:);
end

addpath (fullfile (pwd, "build", "octave"));
warning ("off", "all");
rand ("state", 1); randn ("state", 1);
smallest = 4.9e-324;
n1 = str2double (getenv ("WORST_CASES_N"));
if isnan (n1)
  n1 = 1e4;
end
printf ("%-15s %-22s %8s %10s %9s %10s %7s\n", "module", "values", "n", "ns/elem", "100 n", "ns/elem", "ratio");
report ("(Octave)", "x + 1", @(n) ones (n, 1), @(x) x + 1, n1);
report ("(Octave)", "x(p), p random", @(n) {ones(n, 1), randperm(n)'}, @(a) a{1}(a{2}), n1);

% Degrees of freedom: every path of the gamma draw (V/2 below 1e-5, boost, exponential, rejection,
% huge), the values Student t treats apart (1 and 2), and what draws nothing.
paths = [0, 1e-6, NaN, Inf, -1, 1 + 1e-6, 2.000001, 8, 1, 2, 0.5, smallest];
dof = {
  "zeros",            @(n) zeros(n, 1);
  "Inf",              @(n) Inf(n, 1);
  "NaN",              @(n) NaN(n, 1);
  "negative",         @(n) ones(n, 1) * -1;
  "tiny (1e-6)",     @(n) 1e-6 * ones(n, 1);
  "smallest subnorm.", @(n) smallest * ones(n, 1);
  "just above 1",     @(n) 1.000001 * ones(n, 1);
  "just above 2",     @(n) 2.000001 * ones(n, 1);
  "1",                @(n) ones(n, 1);
  "2",                @(n) 2 * ones(n, 1);
  "8",                @(n) 8 * ones(n, 1);
  "alternating 8, 9", @(n) cycle([8, 9], n);
  "every path in turn", @(n) cycle(paths, n);
  "runs of 1000",     @(n) cycle(paths, n, 1000);
};
for k = 1:rows (dof)
  report ("shapedraw", dof{k, 1}, @(n) dof{k, 2} (n), @(v) shapedraw (3, v), n1);
end
for k = 1:rows (dof)
  report ("recipshapedraw", dof{k, 1}, @(n) dof{k, 2} (n), @(v) recipshapedraw (2, v), n1);
end
for k = 1:rows (dof)
  report ("studentdraw", dof{k, 1}, @(n) dof{k, 2} (n), @(v) studentdraw (v), n1);
end

means = {
  "zeros",    @(n) zeros(n, 1);
  "NaN",      @(n) NaN(n, 1);
  "Inf",      @(n) Inf(n, 1);
  "negative", @(n) ones(n, 1) * -1;
  "alternating", @(n) cycle([0, NaN, Inf, -1, 1, smallest], n);
};
for k = 1:rows (means)
  report ("waitdraw", means{k, 1}, @(n) means{k, 2} (n), @(mu) waitdraw (mu), n1);
end

% psivalue shifts arguments up to 5 one unit at a time: -65535.5 takes the most steps, so it runs
% at a hundredth of the size.
inputs = {
  "zeros",         @(n) zeros(n, 1), n1;
  "NaN",           @(n) NaN(n, 1), n1;
  "Inf",           @(n) Inf(n, 1), n1;
  "-Inf",          @(n) Inf(n, 1) * -1, n1;
  "smallest subnorm.", @(n) smallest * ones(n, 1), n1;
  "-1e300",        @(n) ones(n, 1) * -1e300, n1;
  "-65535.5",      @(n) ones(n, 1) * -65535.5, n1 / 100;
  "alternating",   @(n) cycle([0, NaN, Inf, -Inf, -1e300, 3.5, -0.5, smallest, 1e300], n), n1;
  "runs of 1000",  @(n) cycle([0, NaN, Inf, -Inf, -1e300, 3.5, -0.5, smallest, 1e300], n, 1000), n1;
};
for k = 1:rows (inputs)
  report ("psivalue", inputs{k, 1}, @(n) inputs{k, 2} (n), @psivalue, inputs{k, 3});
end
inputs = {
  "zeros",       @(n) zeros(n, 1);
  "NaN",         @(n) NaN(n, 1);
  "Inf",         @(n) Inf(n, 1);
  "20",          @(n) 20 * ones(n, 1);
  "1e-9",        @(n) 1e-9 * ones(n, 1);
  "alternating", @(n) cycle([0, NaN, 20, -20, 1e-9, 1, -1, smallest], n);
};
for k = 1:rows (inputs)
  report ("squashfn", inputs{k, 1}, @(n) inputs{k, 2} (n), @squashfn, n1);
end

% Weights and probabilities, n of them for n results.
weights = {
  "ones",             @(n) ones(n, 1);
  "zeros",            @(n) zeros(n, 1);
  "all on the first", @(n) [1; zeros(n - 1, 1)];
  "all on the last",  @(n) [zeros(n - 1, 1); 1];
  "halving",          @(n) 2 .^ -(0:n-1)';
  "1e308 (overflow)",@(n) 1e308 * ones(n, 1);
  "NaN",              @(n) NaN(n, 1);
  "Inf at the end",   @(n) [ones(n - 1, 1); Inf];
  "alternating 0, 1", @(n) cycle([0, 1], n);
  "alt. 1e-300, 1",   @(n) cycle([1e-300, 1], n);
  "mixed signs",      @(n) cycle([2, -1], n);
};
for name = {"plainpick", "remainderpick", "layeredpick", "fixedpick"}
  f = str2func (name{1});
  for k = 1:rows (weights)
    report (name{1}, weights{k, 1}, @(n) weights{k, 2} (n), f, n1);
  end
end
for k = 1:rows (weights)
  if ! strcmp (weights{k, 1}, "mixed signs")  % negative probabilities are refused
    report ("classdraw", weights{k, 1}, @(n) {weights{k, 2}(n), n}, @(a) classdraw (a{1}, a{2}, 1), n1);
  end
end
report ("classdraw", "3 classes, n draws", @(n) n, @(n) classdraw ([1 2 3], n, 1), n1);

% The bootstrap: n observations and 10 draws; or one observation and n draws; or as many
% percentiles as observations.
data = {
  "X ones",        @(n) {ones(n, 1), 10};
  "X NaN",         @(n) {NaN(n, 1), 10};
  "X subnormal",   @(n) {smallest * ones(n, 1), 10};
  "W zeros",       @(n) {ones(n, 1), 10, zeros(n, 1)};
  "W NaN",         @(n) {ones(n, 1), 10, NaN(n, 1)};
  "n draws of 1",  @(n) {1, n};
};
for k = 1:rows (data)
  report ("weightavgdraw", data{k, 1}, @(n) data{k, 2} (n), @(a) weightavgdraw (a{:}), n1);
end
data = {
  "X sorted",      @(n) {(1:n)', 50, 10};
  "X NaN",         @(n) {NaN(n, 1), 50, 10};
  "X unsorted",    @(n) {(n:-1:1)', 50, 10};
  "P 0 to 100",    @(n) {(1:n)', linspace(0, 100, n), 10};
  "P all 100",     @(n) {(1:n)', 100 * ones(1, n), 10};
  "P above 100",   @(n) {(1:n)', 200 * ones(1, n), 10};
  "P NaN",         @(n) {(1:n)', NaN(1, n), 10};
  "W zeros",       @(n) {(1:n)', 50, 10, zeros(n, 1)};
  "n draws of 1",  @(n) {1, 50, n};
};
for k = 1:rows (data)
  report ("weightquantdraw", data{k, 1}, @(n) data{k, 2} (n), @(a) weightquantdraw (a{:}), n1);
end

% scalehyperdraw(S, nu0, nu, H, N): one draw; the size is N, at the edges of its working range.
cases = {
  "plain",            @(n) {1, 1, 1, 1, n};
  "S = H = 1e-100",   @(n) {1e-100, 1, 1, 1e-100, n};
  "S = H = 1e100",    @(n) {1e100, 1, 1, 1e100, n};
  "S / H = 100",      @(n) {100, 1, 1, 1, n};
  "S / H = 0.01",     @(n) {1, 1, 1, 100, n};
  "nu0 = 1e-4",       @(n) {1, 1e-4, 1, 1, n};
  "nu0 = 1e8",        @(n) {1, 1e8, 1, 1, n};
  "nu = 1e-2",        @(n) {1, 1, 1e-2, 1, n};
};
only = getenv ("WORST_CASES");
if isempty (only) || ! isempty (strfind (only, "scalehyperdraw"))
  printf ("%-15s %-22s %8s %10s %9s %10s\n", "", "", "N", "ns/call", "100 N", "ns/call");
end
for k = 1:rows (cases)
  report ("scalehyperdraw", cases{k, 1}, @(n) cases{k, 2} (n), @(a) scalehyperdraw (a{:}), 100, true);
end
