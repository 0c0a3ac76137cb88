function folder = before_modules ()
  % BEFORE_MODULES  The modules of another build, for timing it in the same run as this one: when
  % the environment variable MONTEMEX_BENCH_BEFORE names a folder of Octave modules (an older
  % commit's build/octave, say), copies each <name>.mex into a new temporary folder as
  % <name>_before.mex, adds that folder to the path and returns it; otherwise returns "". Octave
  % names a module after its file, so both builds can be loaded at once. The caller removes the
  % folder (rmpath, rmdir) when done.
  folder = "";
  before = getenv ("MONTEMEX_BENCH_BEFORE");
  if (isempty (before))
    return;
  end
  files = dir (fullfile (before, "*.mex"));
  if (isempty (files))
    error ("MONTEMEX_BENCH_BEFORE: no modules in %s", before);
  end
  folder = tempname ();
  mkdir (folder);
  for k = 1:numel (files)
    copyfile (fullfile (before, files(k).name), fullfile (folder, strrep (files(k).name, ".mex", "_before.mex")));
  end
  addpath (folder);
end
