function check_package (inst_dir)
  % CHECK_PACKAGE  The loaded montemex package describes itself and lists each function once:
  % "pkg describe -verbose" names a dependency and every function with a help file in inst_dir,
  % and lookfor finds each matching function once (the help files are installed in one place).
  files = dir (fullfile (inst_dir, "*.m"));
  names = regexprep ({files.name}, '\.m$', '');
  text = evalc ("pkg describe -verbose montemex");
  assert (! isempty (regexp (text, 'Depends on:\s+octave >= ', "once")), "no dependency described:\n%s", text);
  provides = text(strfind (text, "Provides:"):end);
  provided = regexp (provides, '(?m)^\t(\w+)$', "tokens");
  provided = sort ([provided{:}]);
  assert (isequal (provided, sort (names)), "pkg describe lists other functions:\n%s", text);

  found = lookfor ("gamma");
  ours = found(ismember (found, names));
  assert (numel (ours) >= 3 && numel (unique (ours)) == numel (ours), ...
          "lookfor gamma lists: %s", strjoin (ours(:)', " "));
  printf ("pkg describe lists the %d functions; lookfor gamma lists %s once each\n", ...
          numel (names), strjoin (ours(:)', ", "));
end
