% Benchmark of the gamma-family modules and studentdraw against the vectorised Octave code a user
% would write instead, measured in one run. Run by hand from the project root after a build:
%
%   octave --no-gui --norc --quiet bench/gamma_bench.m
%
% Prints, for each pair, the best of five timings and the ratio module / builtin, then the number
% of host calls ("rand"/"randn") the modules make, counted by a wrapper shadowing the builtins.
% Peak memory: bench/gamma_memory.sh.
1;

function t = best_time (f, repeats)
  t = Inf;
  for k = 1:repeats
    tic; f (); t = min (t, toc);
  end
end

addpath (fullfile (pwd, "build", "octave"));
m = 1000; n = 1000;
pairs = {
  "shapedraw(3, 8, m, n)",          @() shapedraw (3, 8, m, n),        "2*randg(4, m, n)*3/8",             @() 2 * randg (4, m, n) * 3 / 8;
  "shapedraw(3, 0.5, m, n)",        @() shapedraw (3, 0.5, m, n),      "2*randg(0.25, m, n)*3/0.5",        @() 2 * randg (0.25, m, n) * 3 / 0.5;
  "recipshapedraw(2, 10, m, n)",    @() recipshapedraw (2, 10, m, n),  "2*10/2./randg(5, m, n)",           @() 2 * 10 / 2 ./ randg (5, m, n);
  "studentdraw(5, m, n)",           @() studentdraw (5, m, n),         "randn(m,n)*sqrt(5)./sqrt(2*randg(2.5,m,n))", @() randn (m, n) * sqrt (5) ./ sqrt (2 * randg (2.5, m, n));
  "studentdraw(1, m, n)",           @() studentdraw (1, m, n),         "randn(m, n)./randn(m, n)",         @() randn (m, n) ./ randn (m, n);
  "studentdraw(2, m, n)",           @() studentdraw (2, m, n),         "t(2) from rand(m, n)",             @() (sqrt (2) * (rand (m, n) - 0.5)) ./ sqrt (rand (m, n) .* (1 - rand (m, n)));
};
rand ("state", 1); randn ("state", 1);
printf ("%-30s %9s   %-46s %9s   %s\n", "module", "seconds", "vectorised Octave", "seconds", "ratio");
for k = 1:rows (pairs)
  tm = best_time (pairs{k, 2}, 5);
  tb = best_time (pairs{k, 4}, 5);
  printf ("%-30s %9.4f   %-46s %9.4f   %5.2f\n", pairs{k, 1}, tm, pairs{k, 3}, tb, tm / tb);
end
tm = best_time (@() shapedrawone (3, 8), 1000);
printf ("%-30s %9.2g   (one call)\n", "shapedrawone(3, 8)", tm);

% Host calls, counted by rand/randn wrappers that shadow the builtins.
dir = tempname ();
mkdir (dir);
for name = {"rand", "randn"}
  fid = fopen (fullfile (dir, [name{1} ".m"]), "w");
  fprintf (fid, "function varargout = %s (varargin)\n  global HOST_CALLS\n  HOST_CALLS++;\n", name{1});
  fprintf (fid, "  [varargout{1:max(1, nargout)}] = builtin (\"%s\", varargin{:});\nend\n", name{1});
  fclose (fid);
end
global HOST_CALLS
warning ("off", "Octave:shadowed-function");
addpath (dir);
calls = {"shapedraw(3, 8, 1000, 1000)", @() shapedraw (3, 8, 1000, 1000);
         "recipshapedraw(2, 10, 1000, 1000)", @() recipshapedraw (2, 10, 1000, 1000);
         "studentdraw(5, 1000, 1000)", @() studentdraw (5, 1000, 1000);
         "studentdraw(1, 1000, 1000)", @() studentdraw (1, 1000, 1000)};
for k = 1:rows (calls)
  HOST_CALLS = 0;
  calls{k, 2} ();
  printf ("%-36s %d host calls\n", calls{k, 1}, HOST_CALLS);
end
rmpath (dir);
confirm_recursive_rmdir (false);
rmdir (dir, "s");
