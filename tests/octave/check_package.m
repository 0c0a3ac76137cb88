function check_package (tarball, scratch)
  % CHECK_PACKAGE  Install the montemex package TARBALL into the scratch prefix SCRATCH (a fresh
  % temporary folder, removed afterwards, when not given), load it, and check it as a user
  % would: every function answers help and a typical call; "pkg describe" and "help montemex"
  % list the functions, the latter with the package's version; "pkg test montemex" passes with
  % tests in every file (its output and time are printed); every demo runs.
  %   octave --eval "addpath('<source>/tests/octave'); check_package('montemex-0.1.0.tar.gz')"
  if (nargin < 2)
    scratch = tempname ();
    removeScratch = onCleanup (@() remove_folder (scratch));
  end
  mkdir (scratch);
  % Both package lists in the scratch folder too: as root, pkg records an installation in the
  % global list, which would otherwise be the system's.
  pkg ("prefix", scratch, scratch);
  pkg ("local_list", fullfile (scratch, "octave_packages"));
  pkg ("global_list", fullfile (scratch, "octave_packages_global"));
  pkg ("install", make_absolute_filename (tarball));
  pkg ("load", "montemex");
  installed = pkg ("list", "montemex"){1};
  modules = dir (fullfile (installed.archprefix, "*", "*.mex"));   % <archprefix>/<architecture>/
  help_dir = modules(1).folder;   % post_install.m moves each help file beside its module
  modules = regexprep ({modules.name}, '\.mex$', '');
  printf ("montemex %s installed in %s: %d modules\n", installed.version, installed.dir, numel (modules));

  check_every_function (help_dir);

  % pkg describe lists the modules and the m-files, lookfor finds each function once (the
  % help files are installed in one place), and help montemex lists them with the version.
  text = evalc ("pkg describe -verbose montemex");
  assert (! isempty (regexp (text, 'Depends on:\s+octave >= ', "once")), "no dependency described:\n%s", text);
  provided = regexp (text(strfind (text, "Provides:"):end), '(?m)^\t(\w+)$', "tokens");
  mfiles = dir (fullfile (installed.dir, "*.m"));   % the self-check and the functions written as m-files
  mfiles = setdiff (regexprep ({mfiles.name}, '\.m$', ''), [modules, {"Contents", "montemex"}]);
  assert (isequal (sort ([provided{:}]), sort ([modules, mfiles])), ...
          "pkg describe lists other functions:\n%s", text);
  found = lookfor ("gamma");
  ours = found(ismember (found, modules));
  assert (numel (ours) >= 3 && numel (unique (ours)) == numel (ours), "lookfor gamma lists: %s", strjoin (ours(:)', " "));
  text = evalc ("help montemex");
  assert (! isempty (strfind (text, ["Version " installed.version " "])), "help montemex shows no version %s:\n%s", installed.version, text);
  assert (all (cellfun (@(name) ! isempty (regexp (text, ['\n +' name ' +- '], "once")), [provided{:}])), ...
          "help montemex does not list every function pkg describe names:\n%s", text);
  printf ("pkg describe, lookfor and help montemex (version %s) list the functions\n", installed.version);

  % pkg test, as users run it; it writes fntests.log into the current folder.
  here = pwd ();
  cd (scratch);
  started = tic ();
  text = evalc ("pkg test montemex");
  seconds = toc (started);
  cd (here);
  printf ("%s", text);
  printf ("pkg test montemex took %.1f s\n", seconds);
  passed = str2double (regexp (text, '(?m)^ +PASS +(\d+)$', "tokens", "once"));
  failed = str2double (regexp (text, '(?m)^ +FAIL +(\d+)$', "tokens", "once"));
  untested = str2double (regexp (text, '(\d+) \(of (\d+)\) \.m files have no tests', "tokens", "once"));
  assert (numel (passed) == 1 && numel (failed) == 1 && numel (untested) == 2, "pkg test printed no summary");
  assert (failed == 0 && passed > 0, "pkg test montemex: %d built-in tests failed", failed);
  assert (untested(1) == 0 && untested(2) >= numel (modules) + 3, "pkg test montemex: files without tests");

  files = cellfun (@(name) fullfile (help_dir, [name ".m"]), modules, "UniformOutput", false);
  run_demos (files);
end

function remove_folder (folder)
  pkg ("unload", "montemex");
  confirm_recursive_rmdir (false, "local");
  rmdir (folder, "s");
end
