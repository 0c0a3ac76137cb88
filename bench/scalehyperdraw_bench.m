% Times scalehyperdraw inside Octave, by hand (not a test):
%   octave --no-gui --eval "run('bench/scalehyperdraw_bench.m')"   (from the source root, after a build)
% Compares one call per draw, as a Gibbs sampler makes them, with the same sampler written in
% Octave (what a user would otherwise write), with the module's one-number-per-host-call build,
% and with one randg draw, the nearest builtin.
root = fileparts (fileparts (mfilename ("fullpath")));
addpath (fullfile (root, "build", "octave"));
addpath (fullfile (root, "build", "octave-test"));
addpath (fullfile (root, "tests", "octave"));

cases = {[1 1 1 1 1], [2 5 4 3 20], [1 1000 1 0.2 1e4]};
n = 20000;
nRef = 2000;
printf ("%-22s %12s %12s %12s %12s %8s %8s %8s\n", "arguments", "module us", "unbuffer us", ...
        "octave us", "randg us", "ref/mod", "unb/mod", "mod/rg");
for c = 1:numel (cases)
  a = num2cell (cases{c});
  rand ("state", 1);
  tic; for k = 1:n, scalehyperdraw (a{:}); end; tModule = toc / n;
  rand ("state", 1);
  tic; for k = 1:n, scalehyperdraw_unbuffered (a{:}); end; tUnbuffered = toc / n;
  rand ("state", 1);
  tic; for k = 1:nRef, scalehyper_reference (a{:}); end; tReference = toc / nRef;
  tic; for k = 1:n, randg (3); end; tRandg = toc / n;
  printf ("%-22s %12.2f %12.2f %12.2f %12.2f %8.1f %8.2f %8.2f\n", mat2str (cases{c}), 1e6 * tModule, ...
          1e6 * tUnbuffered, 1e6 * tReference, 1e6 * tRandg, tReference / tModule, ...
          tUnbuffered / tModule, tModule / tRandg);
end
