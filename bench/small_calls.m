% Small calls: every module's typical call in a Gibbs sweep or a particle-filter step, timed against
% the builtin code a user would write instead and against the host's floor, and two real
% workloads. Run from the project root after a build (scripts/bench.sh runs it first):
%
%   octave --no-gui --norc --quiet bench/small_calls.m
%
% Modules come from build/octave (or the folder in MONTEMEX_BENCH_MODULES), the floor modules
% from build/octave-bench (bench/floor/). With MONTEMEX_BENCH_BEFORE set to the module folder of
% another build (an older commit, say), its modules are timed in the same run too, as <name>_before.
%
% The floor of a call is what the host alone costs for it: floor_empty called with the same
% arguments (a module that only returns a 1-by-1 result), plus, for each host call the module
% makes, what one host call of rand made as the modules make it adds (floor_rand, the sizes shown).
% "host calls" is counted by rand.m, randn.m and sort.m files put first on the path that count and
% call the builtins; "fewest" is the least any module drawing exactly the same numbers could make:
% a host call may fetch only numbers the call is certain to use (one rejection attempt's two
% uniforms, one proposal's three, the minimum of every later element), recomputed here by replaying
% the same stream with the Octave-language references of tests/octave.
%
% Each time is the median of `runs` alternating runs of `loops` calls (module, alternative, empty
% call, and what a host call adds, in turn), in processor time; the range of the runs' module times
% over the floor shows how noisy the machine was. Not a test: timings depend on the machine's load (printed at the start and the
% end).
1;

% The groups of numbers (each certain once begun) of a gamma variate that used `used` uniforms.
function g = gamma_groups (shape, used)
  g = [];
  if (used == 0)
    return;
  end
  if (shape <= 1)
    g = 3;                  % the boost's own uniform and its first attempt
  elseif (shape < 1.00001)
    g = 1;                  % an exponential
  end
  g = [g, 2 * ones(1, (used - sum(g)) / 2)];   % attempts of the rejection method
end

% The fewest host calls that draw the elements' groups, of kinds(i) (1 uniforms, 2 normals, 0
% none), in order: whenever nothing is held, fetch what is left of the group in progress and the
% first group of every later element of the same kind, up to one of the other kind.
function calls = fewest_calls (kinds, groups)
  calls = 0;
  held = 0;
  for i = 1:numel (groups)
    later = 0;
    for k = i + 1:numel (groups)
      if (isempty (groups{k}))
        continue;
      end
      if (kinds(k) != kinds(i))
        break;
      end
      later += groups{k}(1);
    end
    for g = groups{i}
      for j = 0:g - 1
        if (held == 0)
          calls++;
          held = g - j + later;
        end
        held--;
      end
    end
  end
end

% A reference gamma variate of this shape from the stream, and the uniforms it used.
function used = reference_uniforms (shape)
  global HOST_NUMBERS
  before = HOST_NUMBERS;
  if (! (shape >= 2^1020))
    reference_gamma (shape);
  end
  used = HOST_NUMBERS - before;
end

% The fewest host calls of one call described by `how`, replaying its draws from the stream.
function calls = fewest_for (how)
  switch (how{1})
    case "constant"
      calls = how{2};
    case "gamma"          % degrees of freedom how{2}
      shapes = how{2} / 2;
      groups = cell (1, numel (shapes));
      for i = 1:numel (shapes)
        groups{i} = gamma_groups (shapes(i), reference_uniforms (shapes(i)));
      end
      calls = fewest_calls (ones (1, numel (shapes)), groups);
    case "student"        % nu how{2}: one randn block, then each element's draws
      nus = how{2};
      randn (size (nus));
      kinds = zeros (1, numel (nus));
      groups = cell (1, numel (nus));
      for i = 1:numel (nus)
        if (nus(i) == 1)
          randn ();
          kinds(i) = 2; groups{i} = 1;
        elseif (nus(i) == 2)
          rand ();
          kinds(i) = 1; groups{i} = 1;
        else
          groups{i} = gamma_groups (nus(i) / 2, reference_uniforms (nus(i) / 2));
          kinds(i) = 1;
        end
      end
      calls = 1 + fewest_calls (kinds, groups);
    case "ars"            % scalehyperdraw's arguments how{2}: one host call per proposal
      a = num2cell (how{2});
      [~, calls] = scalehyper_reference (a{:});
  end
end

% Processor seconds one run of the statements `body` takes, in a loop of `loops`, in the caller's
% workspace (where the body's variables live). Processor time (cputime, to the microsecond here)
% leaves out the time other processes take the processor away, which on a busy machine scatters
% wall times (tic/toc) by factors of two.
function t = time_body (body, loops)
  evalin ("caller", sprintf ("t__ = cputime (); for i__ = 1:%d, %s end; t__ = cputime () - t__;", loops, body));
  t = evalin ("caller", "t__") / loops;
end

function text = ifelse_text (condition, yes, no)
  if (condition)
    text = yes;
  else
    text = no;
  end
end

function text = load_average ()
  text = strtrim (fileread ("/proc/loadavg"));
end

root = pwd;
modules = getenv ("MONTEMEX_BENCH_MODULES");
if (isempty (modules))
  modules = fullfile (root, "build", "octave");
end
addpath (modules);
addpath (fullfile (root, "build", "octave-bench"));
addpath (fullfile (root, "tests", "octave"));   % the references
addpath (fullfile (root, "bench"));
% The other build's modules, renamed <name>_before so that both can be loaded at once.
before_dir = before_modules ();
have_before = ! isempty (before_dir);

loops = 3000;
runs = 11;
printf ("modules: %s%s\n", modules, ifelse_text (have_before, ["; before: " getenv("MONTEMEX_BENCH_BEFORE")], ""));
printf ("load average at the start: %s (2 cores here)\n", load_average ());

% Arguments of the calls.
rand ("state", 11); randn ("state", 11);
w = rand (100, 1);
x50 = sort (randn (50, 1));
c = 3.5;

% ---- Small calls ----------------------------------------------------------------------------
% Each row: the call, the module's statement, the alternative's statement, the empty call with
% the module's arguments, the sizes k of its first and of its later host calls (1 stands for a
% call without size arguments, such as rand() or sort(P), while classdraw(P) calls rand(1,1)), how
% to count the fewest host calls.
table = {
  "shapedrawone(3,8)",           "x = shapedrawone(3,8);",           "x = 2*randg(4)*3/8;",                          "x = floor_empty(3,8);",           [2 2], {"gamma", 8};
  "shapedraw(3,8)",              "x = shapedraw(3,8);",              "x = 2*randg(4)*3/8;",                          "x = floor_empty(3,8);",           [2 2], {"gamma", 8};
  "shapedraw(1,0.6)",            "x = shapedraw(1,0.6);",            "x = 2*randg(0.3)*1/0.6;",                      "x = floor_empty(1,0.6);",         [2 2], {"gamma", 0.6};
  "shapedraw(3,8*ones(1,8))",    "x = shapedraw(3,8*ones(1,8));",    "x = 2*randg(4*ones(1,8))*3/8;",                "x = floor_empty(3,8*ones(1,8));", [8 2], {"gamma", 8 * ones(1, 8)};
  "recipshapedrawone(3,18)",     "x = recipshapedrawone(3,18);",     "x = 27/randg(9);",                             "x = floor_empty(3,18);",          [2 2], {"gamma", 18};
  "recipshapedraw(3,18*ones(1,8))", "x = recipshapedraw(3,18*ones(1,8));", "x = 27./randg(9*ones(1,8));",          "x = floor_empty(3,18*ones(1,8));", [8 2], {"gamma", 18 * ones(1, 8)};
  "studentdraw(5)",              "x = studentdraw(5);",              "x = randn/sqrt(2*randg(2.5)/5);",              "x = floor_empty(5);",             [2 2], {"student", 5};
  "studentdraw(5*ones(1,4))",    "x = studentdraw(5*ones(1,4));",    "x = randn(1,4)./sqrt(2*randg(2.5*ones(1,4))/5);", "x = floor_empty(5*ones(1,4));", [8 2], {"student", 5 * ones(1, 4)};
  "studentdraw(1)",              "x = studentdraw(1);",              "x = randn/randn;",                             "x = floor_empty(1);",             [2 1], {"student", 1};
  "waitdraw(2)",                 "x = waitdraw(2);",                 "x = -2*log(rand);",                            "x = floor_empty(2);",             [2 2], {"constant", 1};
  "waitdraw(2*ones(1,5))",       "x = waitdraw(2*ones(1,5));",       "x = -2*log(rand(1,5));",                       "x = floor_empty(2*ones(1,5));",   [8 8], {"constant", 1};
  "classdraw([.1 .2 .3 .4])",    "x = classdraw([.1 .2 .3 .4]);",    "x = lookup(cumsum([.1 .2 .3 .4]),rand)+1;",    "x = floor_empty([.1 .2 .3 .4]);", [2 2], {"constant", 1};
  "simplexdraw(4)",              "x = simplexdraw(4);",              "e = -log(rand(4,1)); x = e/sum(e);",           "x = floor_empty(4);",             [8 8], {"constant", 1};
  "scalehyperdraw(1,1,6,2,8)",   "x = scalehyperdraw(1,1,6,2,8);",   "x = randg(3);",                                "x = floor_empty(1,1,6,2,8);",     [2 2], {"ars", [1 1 6 2 8]};
  "psivalue(3.5)",               "x = psivalue(3.5);",               "x = psi(3.5);",                                "x = floor_empty(3.5);",           [1 1], {"constant", 0};
  "psivalue(-2.5)",              "x = psivalue(-2.5);",              "x = psi(-2.5);",                               "x = floor_empty(-2.5);",          [1 1], {"constant", 0};
  "squashfn(0.3)",               "x = squashfn(0.3);",               "x = tanh(0.3);",                               "x = floor_empty(0.3);",           [1 1], {"constant", 0};
  "squashfn(2)",                 "x = squashfn(2);",                 "x = tanh(2);",                                 "x = floor_empty(2);",             [1 1], {"constant", 0};
  "fixedpick(1)",                "x = fixedpick(1);",                "x = lookup(cumsum(1)/sum(1)*1,0.5)+1;",        "x = floor_empty(1);",             [1 1], {"constant", 0};
  "plainpick(w), 100 weights",   "x = plainpick(w);",                "x = lookup(cumsum(w)/sum(w),rand(100,1))+1;",  "x = floor_empty(w);",           [100 100], {"constant", 1};
  "remainderpick(w)",            "x = remainderpick(w);",            "x = residual_by_hand(w);",                     "x = floor_empty(w);",           [100 100], {"constant", 1};
  "layeredpick(w)",              "x = layeredpick(w);",              "x = lookup(cumsum(w)/sum(w)*100,(0:99)'+rand(100,1))+1;", "x = floor_empty(w);", [100 100], {"constant", 1};
  "fixedpick(w)",                "x = fixedpick(w);",                "x = lookup(cumsum(w)/sum(w)*100,(0:99)'+0.5)+1;", "x = floor_empty(w);",        [1 1], {"constant", 0};
  "weightavgdraw(x), 50 values", "x = weightavgdraw(x50);",          "e = -log(rand(50,1)); x = (e/sum(e))'*x50;",   "x = floor_empty(x50);",          [50 50], {"constant", 1};
  "weightquantdraw(x,50)",       "x = weightquantdraw(x50,50);",     "e = -log(rand(50,1)); cw = cumsum(e)/sum(e); x = interp1([0;cw],[x50(1);x50],0.5);", "x = floor_empty(x50,50);", [1 50], {"constant", 2};
};
nrows = rows (table);

% Host calls, counted by rand.m, randn.m and sort.m first on the path; then the fewest, replaying
% the same stream.
count_dir = tempname ();
mkdir (count_dir);
for name = {"rand", "randn", "sort"}
  fid = fopen (fullfile (count_dir, [name{1} ".m"]), "w");
  fprintf (fid, "function varargout = %s (varargin)\n  global HOST_CALLS HOST_NUMBERS\n  HOST_CALLS++;\n", name{1});
  fprintf (fid, "  [varargout{1:max(1, nargout)}] = builtin (\"%s\", varargin{:});\n", name{1});
  if (! strcmp (name{1}, "sort"))
    fprintf (fid, "  HOST_NUMBERS += numel (varargout{1});\n");
  end
  fprintf (fid, "end\n");
  fclose (fid);
end
global HOST_CALLS HOST_NUMBERS
warning ("off", "Octave:shadowed-function");
addpath (count_dir);
counted = loops;   % as many calls as a timed loop: the average is then within about 2%
host_calls = zeros (nrows, 1);
numbers = zeros (nrows, 1);
fewest = zeros (nrows, 1);
for k = 1:nrows
  state = builtin ("rand", "state"); nstate = builtin ("randn", "state");
  HOST_CALLS = 0; HOST_NUMBERS = 0;
  for i = 1:counted
    eval (table{k, 2});
  end
  host_calls(k) = HOST_CALLS / counted;
  numbers(k) = HOST_NUMBERS / counted;
  builtin ("rand", "state", state); builtin ("randn", "state", nstate);
  for i = 1:counted
    fewest(k) += fewest_for (table{k, 6});
  end
  fewest(k) /= counted;
end
rmpath (count_dir);
confirm_recursive_rmdir (false);
rmdir (count_dir, "s");
clear rand randn sort

% Each run times every row in turn: the module, the alternative, the empty call with the module's
% arguments, and what one host call of the row's sizes adds, measured next to it (floor_rand(k)
% against floor_empty(k)), so that a row's floor in a run uses what a host call cost then.
t_mod = zeros (runs, nrows);
t_alt = zeros (runs, nrows);
t_flo = zeros (runs, nrows);
t_bef = NaN (runs, nrows);
call_first = zeros (runs, nrows);   % what the row's first host call adds
call_later = zeros (runs, nrows);   % and each later one
for r = 1:runs
  for k = 1:nrows
    t_mod(r, k) = time_body (table{k, 2}, loops);
    t_alt(r, k) = time_body (table{k, 3}, loops);
    t_flo(r, k) = time_body (table{k, 4}, loops);
    q = table{k, 5};
    empty = time_body (sprintf ("x = floor_empty (%d);", q(1)), loops);
    call_first(r, k) = time_body (sprintf ("x = floor_rand (%d);", q(1)), loops) - empty;
    call_later(r, k) = call_first(r, k);
    if (q(2) != q(1))
      call_later(r, k) = time_body (sprintf ("x = floor_rand (%d);", q(2)), loops) - empty;
    end
    if (have_before)
      t_bef(r, k) = time_body (regexprep (table{k, 2}, "= (\\w+)\\(", "= $1_before("), loops);
    end
  end
end

firsts = cellfun (@(q) q(1), table(:, 5))';
printf ("\nThe floor: an empty module call takes %.2f us; one host call adds, for rand(k, 1) (median of\n", ...
        1e6 * median (t_flo(:, strcmp (table(:, 4), "x = floor_empty(1);"))(:)));
printf ("its measurements next to the rows of its size):\n");
for k = unique (firsts)
  printf ("  k = %-4d %5.2f us (%s)\n", k, 1e6 * median (vec (call_first(:, firsts == k))), ...
          ifelse_text (k == 1, "rand() without size arguments", "two size scalars, as the modules make them"));
end

printf ("\nSmall calls, microseconds of processor time a call (median of %d alternating runs of %d calls):\n", runs, loops);
printf ("floor = the empty call with the same arguments + host calls x what one adds (medians);\n");
printf ("the range is that of the runs' module times over the floor\n");
printf ("%-32s %-34s %7s %7s %7s %6s %6s %-11s %5s %6s %6s", "call", "alternative", "module", "altern", "floor", ...
        "/alt", "/floor", "(range)", "/empty", "host", "fewest");
if (have_before)
  printf (" %7s %6s", "before", "/floor");
end
printf ("\n");
for k = 1:nrows
  % The first host call of the size k(1), the others of k(2); medians of the parts.
  f = median (t_flo(:, k)) + min (host_calls(k), 1) * median (call_first(:, k)) + ...
      max (host_calls(k) - 1, 0) * median (call_later(:, k));
  m = median (t_mod(:, k));
  per_run = t_mod(:, k) / f;
  alternative = table{k, 3};
  if (numel (alternative) > 34)
    alternative = [alternative(1:31) "..."];
  end
  printf ("%-32s %-34s %7.2f %7.2f %7.2f %6.2f %6.2f %-11s %5.2f %6.2f %6.2f", table{k, 1}, alternative, 1e6 * m, ...
          1e6 * median (t_alt(:, k)), 1e6 * f, m / median (t_alt(:, k)), m / f, ...
          sprintf ("(%.2f-%.2f)", min (per_run), max (per_run)), m / median (t_flo(:, k)), host_calls(k), fewest(k));
  if (have_before)
    printf (" %7.2f %6.2f", 1e6 * median (t_bef(:, k)), median (t_bef(:, k)) / f);
  end
  printf ("\n");
end

% ---- Two workloads --------------------------------------------------------------------------
% One sweep of the hierarchical Gibbs sampler of demo/gibbs_sweeps.m (8 groups of 12), and one
% step of the particle filter of demo/particle_filter.m (100 particles) per resampler, each with
% the modules and with the builtins a user would write instead (scalehyperdraw has none: both
% use it), in turn.
addpath (fullfile (root, "demo"));
rand ("state", 7); randn ("state", 7);
y = hierarchical_data ();
[n, J] = size (y);
nu = 6; nu0 = 1; S = 1;
sigma2 = var (y); tau2 = 1;
sweeps = 1000;
gibbs = {
  "modules",  "sigma2 = recipshapedraw((nu*tau2 + ss)/(nu + n), (nu + n)*ones(1,J)); H = J/sum(1./sigma2); tau2 = scalehyperdraw(S, nu0, nu, H, J);";
  "builtins", "sigma2 = ((nu*tau2 + ss)/(nu + n)) .* (nu + n) / 2 ./ randg((nu + n)/2*ones(1,J)); H = J/sum(1./sigma2); tau2 = scalehyperdraw(S, nu0, nu, H, J);";
};
if (have_before)
  body = strrep (gibbs{1, 2}, "recipshapedraw(", "recipshapedraw_before(");
  gibbs(end + 1, :) = {"before", strrep(body, "scalehyperdraw(", "scalehyperdraw_before(")};
end
sweep_head = "mu = mean(y) + sqrt(sigma2/n).*randn(1,J); ss = sum((y - mu).^2); ";

N = 100; T = 50;
f_state = @(x, t) x / 2 + 25 * x ./ (1 + x .^ 2) + 8 * cos (1.2 * t);
x_true = zeros (T, 1); y_obs = zeros (T, 1); xs = 0;
for t = 1:T
  xs = f_state (xs, t) + sqrt (10) * randn ();
  y_obs(t) = xs ^ 2 / 20 + randn ();
end
step_head = ["t = mod(i__, T) + 1; particles = f_state(particles, t) + sqrt(10)*randn(N,1); " ...
             "log_w = -0.5*(y_obs(t) - particles.^2/20).^2; wt = exp(log_w - max(log_w)); wt = wt/sum(wt); " ...
             "estimate = sum(wt.*particles); "];
resamplers = {
  "plainpick",     "lookup(cumsum(wt)/sum(wt), rand(N,1)) + 1";
  "remainderpick", "residual_by_hand(wt)";
  "layeredpick",   "lookup(cumsum(wt)/sum(wt)*N, (0:N-1)'+rand(N,1)) + 1";
  "fixedpick",     "lookup(cumsum(wt)/sum(wt)*N, (0:N-1)'+0.5) + 1";
};
steps = 1000;
variants = 2 + have_before;
t_gibbs = zeros (runs, variants);
t_step = zeros (runs, size (resamplers, 1), variants);
for r = 1:runs
  for v = 1:variants
    sigma2 = var (y); tau2 = 1;
    t_gibbs(r, v) = time_body ([sweep_head gibbs{v, 2}], sweeps);
  end
  for q = 1:size (resamplers, 1)
    bodies = {[resamplers{q, 1} "(wt)"], resamplers{q, 2}, [resamplers{q, 1} "_before(wt)"]};
    for v = 1:variants
      particles = sqrt (5) * randn (N, 1);
      t_step(r, q, v) = time_body ([step_head "idx = " bodies{v} "; particles = particles(idx);"], steps);
    end
  end
end
printf ("\nWorkloads, microseconds of processor time (median of %d alternating runs):\n", runs);
printf ("%-44s %9s %9s %7s", "", "modules", "builtins", "ratio");
if (have_before)
  printf (" %9s %7s", "before", "ratio");
end
printf ("\n");
report = @(label, times) printf ("%-44s %9.1f %9.1f %7.2f%s\n", label, 1e6 * times(1), 1e6 * times(2), ...
                                 times(1) / times(2), ifelse_text (have_before, ...
                                 sprintf (" %9.1f %7.2f", 1e6 * times(end), times(end) / times(2)), ""));
report ("Gibbs sweep, 8 groups of 12 (demo/gibbs_sweeps.m)", median (t_gibbs));
for q = 1:size (resamplers, 1)
  report (sprintf ("particle-filter step, N = %d, %s", N, resamplers{q, 1}), squeeze (median (t_step(:, q, :))));
end
printf ("(ratio: to the builtins; the Gibbs sweep's builtins variant keeps scalehyperdraw, which has no builtin)\n");
printf ("load average at the end: %s\n", load_average ());
if (have_before)
  rmpath (before_dir);
  confirm_recursive_rmdir (false);
  rmdir (before_dir, "s");
end
