% The built-in tests and demos of every help file in inst/, and of the table of contents and the
% self-check beside the modules on the path (test NAME, demo NAME): every file has tests, and
% every test and demo passes.
1;

inst = canonicalize_file_name (fullfile (fileparts (mfilename ("fullpath")), "..", "..", "inst"));
files = dir (fullfile (inst, "*.m"));
files = cellfun (@(name) fullfile (inst, name), {files.name}, "UniformOutput", false);
modules = fileparts (which ("waitdraw"));
files = [files, cellfun(@(name) fullfile (modules, name), {"Contents.m", "montemex.m", "montemex_selfcheck.m"}, ...
                        "UniformOutput", false)];
failed = {};
for k = 1:numel (files)
  [passed, total] = test (files{k}, "quiet", stdout);   % failures are printed in full
  [~, name] = fileparts (files{k});
  printf ("%-20s %3d of %3d built-in tests passed\n", name, passed, total);
  if (total == 0 || passed < total)
    failed{end + 1} = name;
  end
end
assert (isempty (failed), "built-in tests failed or missing: %s", strjoin (failed, ", "));

% help montemex lists every function (Contents.m's own test checks that what it lists exists).
contents = get_help_text ("montemex");
[~, names] = cellfun (@fileparts, files, "UniformOutput", false);
names = setdiff (names, {"Contents", "montemex"});
unlisted = names(cellfun (@(name) isempty (regexp (contents, ['\n +' name ' +- '], "once")), names));
assert (isempty (unlisted), "help montemex does not list %s", strjoin (unlisted, ", "));
% Every module shows itself at work (help montemex says "demo <name>" does).
modules = files(cellfun (@(file) exist (nthargout (2, @fileparts, file)) == 3, files));
demos = cellfun (@(file) nthargout (2, @test, file, "grabdemo"), modules, "UniformOutput", false);
without = modules(cellfun ("isempty", demos));
assert (numel (modules) == 17 && isempty (without), "modules without a demo: %s", strjoin (without, ", "));
run_demos (files);
