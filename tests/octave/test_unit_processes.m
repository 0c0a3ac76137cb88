function test_unit_processes ()
  % unitrun's files under what other processes and the file system do to them, in Octave
  % processes of their own: two processes writing one unit at once both succeed and leave
  % one whole file; a save killed part-way leaves no result and a hidden file that
  % unitgather names with a command that deletes it, and the unit completes when run again;
  % and, as root, in a mount namespace of its own (its file systems go with it), a full disk
  % (a 1 MB tmpfs) and a read-only file system each give unitrun's error with the system's
  % reason, no result and no hidden file. Every wait is bounded.
  octave = fullfile (OCTAVE_HOME (), "bin", "octave-cli");
  work = tempname ();
  mkdir (work);
  % A unit that waits at a gate: it says it is ready, then waits for the file "go".
  write_file (fullfile (work, "gate.m"), ["function r = gate (k, work)\n" ...
    "  fclose (fopen (fullfile (work, sprintf ('ready%d', getpid ())), 'w'));\n" ...
    "  waited = tic;\n" ...
    "  while (! exist (fullfile (work, 'go'), 'file') && toc (waited) < 60) pause (0.05); end\n" ...
    "  r = rand (1, 1000);\nend\n"]);
  run = @(code) sprintf ("%s --norc --no-history --quiet --eval %s", octave, ...
                         shell_word (sprintf ("addpath ('%s', '%s'); %s", fileparts (which ("unitrun")), work, code)));
  unwind_protect
    two_writers (run, work);
    killed_save (run, work);
    full_disk (run, work);
  unwind_protect_cleanup
    confirm_recursive_rmdir (false, "local");
    rmdir (work, "s");
  end_unwind_protect
end

function two_writers (run, work)
  folder = fullfile (work, "two");
  for i = 1:2
    system (sprintf ("(%s >%s/out%d 2>&1; echo $? >%s/status%d) &", ...
                     run (sprintf ("unitrun ('%s', 7, 1, @gate, '%s')", folder, work)), work, i, work, i));
  end
  wait_for (@() numel (glob (fullfile (work, "ready*"))) == 2, 60, "both writers ready");
  fclose (fopen (fullfile (work, "go"), "w"));
  wait_for (@() numel (glob (fullfile (work, "status*"))) == 2, 60, "both writers done");
  for i = 1:2
    status = fileread (sprintf ("%s/status%d", work, i));
    assert (strcmp (strtrim (status), "0"), "writer %d failed:\n%s", i, fileread (sprintf ("%s/out%d", work, i)));
  end
  saved = load (fullfile (folder, "unit1.mat"));
  unitseed (7, 1);
  assert (saved.result, rand (1, 1000));
  assert (readdir (folder)', {".", "..", "unit1.mat"});
  printf ("two writers of unit 1 at once: both done, one whole file\n");
end

function killed_save (run, work)
  folder = fullfile (work, "killed");
  unit = "@(k) rand (8e6, 1)";              % 64 MB that do not compress: a long save
  [~, pid] = system (sprintf ("%s >/dev/null 2>&1 & echo $!", run (sprintf ("unitrun ('%s', 7, 1, %s)", folder, unit))));
  pid = str2double (pid);
  wait_for (@() ! isempty (glob (fullfile (folder, ".unit1.*.mat"))), 60, "the save of unit 1");
  kill (pid, 9);
  % Ended, or a zombie that whatever adopted it has not reaped yet.
  wait_for (@() system (sprintf ("ps -o stat= -p %d | grep -qv '^Z'", pid)) != 0, 10, "the end of the killed process");
  text = evalc ("[~, missing] = unitgather (folder, 7, 1);");
  assert (isequal (missing, 1), "the save was not cut off (a faster disk?):\n%s", text);
  command = regexp (text, "a save cut off left its hidden file \\.unit1\\.\\S+\\.mat(\\.saving_in_progress)?: .*\\n    (rm -f -- \\S+)\\n", "tokens", "once");
  assert (! isempty (command), "gather does not name the hidden file:\n%s", text);
  assert (system (command{end}), 0);
  evalc (sprintf ("r = unitrun (folder, 7, 1, %s);", unit));
  unitseed (7, 1);
  assert (isequal (r, rand (8e6, 1)) && isequal (readdir (folder)', {".", "..", "unit1.mat"}));
  printf ("a save killed part-way: no result, its hidden file named and deleted, the unit run again\n");
end

function full_disk (run, work)
  full = fullfile (work, "full");
  readonly = fullfile (work, "readonly");
  mkdir (full);
  mkdir (readonly);
  [status, ~] = system (sprintf ("unshare --mount mount -t tmpfs tmpfs %s 2>/dev/null", full));
  if (status != 0)
    printf ("skipped: a full disk and a read-only file system (needs root and unshare, to mount file systems of its own)\n");
    return;
  end
  code = sprintf (["warning ('off', 'montemex:unitrun:notRecorded'); " ...
                   "try, unitrun ('%s/results', 7, 1, @(k) rand (3e5, 1)); catch e, disp (e.message); end; " ...
                   "disp (strjoin (readdir ('%s/results')', ' ')); [~, ~, failed] = unitgather ('%s/results', 7, 1); " ...
                   "try, unitrun ('%s', 7, 1, @(k) 1); catch e, disp (e.message); end; disp (strjoin (readdir ('%s')', ' '));"], ...
                  full, full, full, readonly, readonly);
  [status, text] = system (sprintf ("unshare --mount sh -c %s 2>&1", shell_word (sprintf ( ...
    "mount -t tmpfs -o size=1m tmpfs %s && mount -t tmpfs -o ro tmpfs %s && %s", full, readonly, run (code)))));
  assert (status == 0, "%s", text);
  expected = {sprintf("Cannot save %s/results/unit1.mat: No space left on device.\n. .. unit1.error.mat\n", full), ...
              sprintf("  unit 1: failed on node %s: montemex:unitrun:cannotSave: Cannot save %s/results/unit1.mat: No space left on device.\n", ...
                      gethostname (), full), ...
              sprintf("Cannot save %s/unit1.mat: Read-only file system.\n. ..\n", readonly)};
  for i = 1:numel (expected)
    assert (! isempty (strfind (text, expected{i})), "no \"%s\" in:\n%s", expected{i}, text);
  end
  assert (isempty (readdir (full)(3:end)), "the mount left files behind");
  printf ("a full disk and a read-only file system: the system's reason, no result, no hidden file\n");
end

function wait_for (done, seconds, what)
  waited = tic;
  while (! done ())
    assert (toc (waited) < seconds, "no %s within %d s", what, seconds);
    pause (0.05);
  end
end

function text = shell_word (text)
  text = ["'" strrep(text, "'", "'\\''") "'"];
end

function write_file (name, text)
  file = fopen (name, "w");
  fputs (file, text);
  fclose (file);
end
