% Every help example of inst/ works as printed: its lines run one after another in a fresh empty
% folder (the cluster demo's functions on the path, for the examples that use its chains), and
% it shows a result. A line whose comment is a list of numbers ("% -1  -0.4621  0") must show
% those values to the decimals given. An example writes no file outside a folder of its own
% (tempname, never the shared tempdir), and where it seeds rand or randn Octave's way the same
% line names MATLAB's rng. (tests/lint/common_subset.sh checks the lines run in MATLAB too.) The
% README's first seeded call and Gibbs sweep run as printed too.
1;

% Examples that do not work yet; once one works the test fails until it is taken off this list.
known = {};

function [shown, checks] = run_example (lines__)
  % Runs LINES__ in this workspace, one by one as a user would paste them. SHOWN is what they
  % print; CHECKS lists each line whose comment gives values, with the value it left.
  shown = "";
  checks = {};
  for k__ = 1:numel (lines__)
    [code__, comment__] = split_comment (lines__{k__});
    shown = [shown, evalc(code__)];
    if (! isempty (regexp (comment__, '^\[?\s*-?[0-9.]+(\s+-?[0-9.]+)*\s*\]?$', "once")))
      name__ = regexp (code__, '^\s*([A-Za-z]\w*)\s*=[^=]', "tokens", "once");
      if (isempty (name__))
        name__ = {"ans"};
      end
      value__ = eval (name__{1});
      checks(end + 1, :) = {lines__{k__}, comment__, value__};
    end
  end
end

function [code, comment] = split_comment (line)
  % The code of an example line and its trailing comment (examples use no "%" in strings).
  at = regexp (line, '\s%', "once");
  if (isempty (at))
    code = line;
    comment = "";
  else
    code = line(1:at);
    comment = strtrim (line(at + 2:end));
  end
end

function lines = example_lines (file)
  % The lines after "Example:" (or "Example (what it shows):") in FILE's help text, up to the
  % next blank comment line.
  text = fileread (file);
  block = regexp (text, '(?m)^%\s+Examples?(?: \([^\n]*\))?:\n((?:%  +\S[^\n]*\n)+)', "tokens", "once");
  if (isempty (block))
    lines = {};
  else
    lines = regexprep (strsplit (strtrim (block{1}), "\n"), '^%\s+', "");
  end
end

function problem = check_example (file)
  % What is wrong with FILE's example, or "" when nothing is.
  problem = "";
  lines = example_lines (file);
  if (isempty (lines))
    problem = "no example";
    return;
  end
  if (any (! cellfun ("isempty", regexp (lines, '\<tempdir\>', "once"))))
    problem = "it writes into the shared tempdir (use a folder of its own: tempname)";
    return;
  end
  seeds = ! cellfun ("isempty", regexp (lines, "randn?\\('state'", "once"));
  if (any (seeds & cellfun ("isempty", regexp (lines, '%.*\<rng\(', "once"))))
    problem = "it seeds with rand('state', s) with no rng(s) for MATLAB beside it";
    return;
  end
  here = pwd ();
  folder = tempname ();
  mkdir (folder);
  cd (folder);
  try
    [shown, checks] = run_example (lines);
  catch err
    cd (here);
    confirm_recursive_rmdir (false, "local");
    rmdir (folder, "s");
    problem = ["it fails: " err.message];
    return;
  end
  cd (here);
  confirm_recursive_rmdir (false, "local");
  rmdir (folder, "s");
  if (isempty (strtrim (shown)))
    problem = "it shows no result (every line ends in ;)";
    return;
  end
  for c = 1:rows (checks)
    [line, comment, value] = checks{c, :};
    numbers = regexp (comment, '-?[0-9.]+', "match");
    expected = str2double (numbers);
    decimals = cellfun (@(t) numel (t) - min ([strfind(t, "."), numel(t)]), numbers);
    if (numel (value) != numel (expected) || any (abs (value(:)' - expected) > 0.5 * 10 .^ -decimals + 1e-12))
      problem = sprintf ("%s shows %s, not %s", line, mat2str (value(:)', 6), comment);
      return;
    end
  end
end

function run_readme_block (readme__, heading__)
  % Runs the first code block after HEADING__ in the README, in a fresh folder; it must show a
  % result.
  block__ = regexp (readme__, ['\n' heading__ '\n.*?```octave\n(.*?)```'], "tokens", "once");
  assert (! isempty (block__), "README: no code block under %s", heading__);
  here__ = pwd ();
  folder__ = tempname ();
  mkdir (folder__);
  cd (folder__);
  unwind_protect
    shown__ = evalc (block__{1});
  unwind_protect_cleanup
    cd (here__);
    confirm_recursive_rmdir (false, "local");
    rmdir (folder__, "s");
  end_unwind_protect
  assert (! isempty (strtrim (shown__)), "README: the block under %s shows nothing", heading__);
  printf ("README %-28s runs\n", heading__);
end

inst = canonicalize_file_name (fullfile (fileparts (mfilename ("fullpath")), "..", "..", "inst"));
addpath (fullfile (inst, "..", "demo", "cluster"));
files = dir (fullfile (inst, "*.m"));
failed = {};
for k = 1:numel (files)
  [~, name] = fileparts (files(k).name);
  problem = check_example (fullfile (inst, files(k).name));
  if (any (strcmp (name, known)))
    if (isempty (problem))
      failed{end + 1} = sprintf ("%s: its example works now: take it off the list of known failures", name);
    else
      printf ("%-18s known failure: %s\n", name, problem);
    end
  elseif (isempty (problem))
    printf ("%-18s example works\n", name);
  else
    failed{end + 1} = sprintf ("%s: %s", name, problem);
  end
end
readme = fileread (fullfile (inst, "..", "README.md"));
run_readme_block (readme, "## A first seeded call");
run_readme_block (readme, "## A Gibbs sweep in ten lines");
assert (isempty (failed), "help examples:\n  %s", strjoin (failed, "\n  "));
