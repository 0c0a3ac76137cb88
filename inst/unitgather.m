function [results, missing, failed, rejected] = unitgather(folder, master, n, script, pertask, maxarray)
%UNITGATHER  Load the results of units 1 to N in index order, and name every unit not done.
%
%   RESULTS = unitgather(FOLDER, MASTER, N) loads the result of each unit k = 1, ..., N that
%   unitrun saved to FOLDER/unit<k>.mat with master seed MASTER, into RESULTS{k} (a 1-by-N
%   cell; empty for a unit not done). It prints how many units are done, a line for each
%   unit that is not, and the sbatch commands that run again just the tasks holding them,
%   for example:
%       unitgather: 4 of 8 units done in /home/me/chains/results (master seed 2026)
%         units 2-3: no result (not run yet, still running, killed, or their node lost)
%         unit 5: failed on node n2: my:id: Matrix is singular.
%         unit 7: /home/me/chains/results/unit7.mat is not counted: it records unit 1 of
%           master seed 2026. Move it aside, then run the unit.
%       run the tasks that hold them again (1 unit a task; MaxArraySize 1001, from
%       scontrol show config):
%         sbatch --array=2-3,5,7 job.sbatch 8 1
%   Each line of the commands works as pasted into a shell in the folder the job was
%   submitted from. A result counts only when its file is whole and records unit k and
%   master seed MASTER, as unitrun checks it; a file that cannot be read, records another
%   unit or master seed (a copied file, a folder left from another run) or is not a regular
%   file is rejected. A failed unit is one with no result whose error unitrun recorded
%   (FOLDER/unit<k>.error.mat); its line shows the error's identifier and message. A result
%   counts whatever records of earlier failures remain. Every unit is looked at in one
%   pass; a folder that does not exist holds no results. Consecutive missing units share a
%   line; at most 20 lines are printed. A gather that takes longer than two seconds prints
%   how far it has got every two seconds.
%   Hidden files that saves cut off by a signal left behind (.unit<k>.<tag>.mat, and in
%   Octave 9 .unit<k>.<tag>.mat.saving_in_progress) are named, with the command that
%   deletes them once no task of the run is running.
%
%   [RESULTS, MISSING, FAILED, REJECTED] = unitgather(...) also returns the indices of the
%   units with no result and no recorded error (MISSING), of those whose error was recorded
%   (FAILED) and of those whose file is rejected (REJECTED), as rows in increasing order.
%   The set is complete when all three are empty.
%
%   unitgather(FOLDER, MASTER, N, SCRIPT) names the batch script in the commands: SCRIPT
%   instead of job.sbatch.
%   unitgather(FOLDER, MASTER, N, SCRIPT, PERTASK) is for a job array whose tasks run
%   PERTASK units each, unittask(T, N, PERTASK) in task T (as the sbatch script of
%   demo/cluster does): the commands name the tasks that hold the units not done.
%   unitgather(FOLDER, MASTER, N, SCRIPT, PERTASK, MAXARRAY) takes the cluster's
%   MaxArraySize as MAXARRAY instead of asking Slurm (scontrol show config) for it, or
%   taking Slurm's default, 1001, when that gives none.
%
%   unitgather(FOLDER, N) and unitgather(FOLDER, N, SCRIPT), the forms of the first release
%   (a text SCRIPT tells the second from unitgather(FOLDER, MASTER, N)), are still accepted.
%   They give no master seed: the one the results record is taken, and the report says which,
%       unitgather: 4 of 8 units done in /home/me/chains/results (master seed 2026, found in
%       the results)
%   (or "no result records a master seed" when no result is whole). Every result must record
%   the same master seed: a folder that mixes them is refused (mixedRuns), naming a unit of
%   each. A result is otherwise checked as above (whole, recording its own unit index; a
%   copied file is rejected), and so is a failure record, against the results' master seed.
%   The commands are those for one unit a task. A script of the first release runs unit
%   $SLURM_ARRAY_TASK_ID and ignores the arguments: it runs them as printed as long as every
%   task lies below MaxArraySize; past it, gather notes that the script must add the offset,
%   its third argument, to the array index (as demo/cluster/chains.sbatch does).
%
%   Slurm runs an array index only below MaxArraySize. Tasks up to MaxArraySize-1 are run
%   as they are; the commands for the tasks after them pass an offset that the script adds
%   to the index (task = index + offset), one command for each MaxArraySize-1 tasks (or
%   for each max_array_tasks, when scontrol show config gives a smaller one):
%       sbatch --array=1-1000 job.sbatch 3000000 1000
%       sbatch --array=1-1000 job.sbatch 3000000 1000 1000
%   so the script gets the arguments N PERTASK [OFFSET]. Array indices are written in
%   ranges (3-5,9).
%
%   Results saved by Octave and by MATLAB (which draw different numbers from the same seed)
%   do not belong together: unitgather refuses them (mixedRuns), naming a unit of each.
%
%   Arguments:
%     FOLDER    the folder given to unitrun, as text (relative names are taken from the
%               current folder, as in unitrun).
%     MASTER    the master seed given to unitrun, as in unitseed.
%     N         the number of units, a whole number from 0 (to the largest unit index, as in
%               unitseed).
%     SCRIPT    the file name of the batch script, as text. Default (or []) job.sbatch.
%     PERTASK   the number of units each task runs, a whole number from 1. Default (or []) 1.
%     MAXARRAY  the cluster's MaxArraySize, a whole number from 0. Default (or []) read
%               from scontrol show config, else 1001.
%
%   Errors (identifier, message):
%     montemex:unitgather:wrongInputCount  Wrong number of input arguments.
%     montemex:unitgather:badFolder        The folder must be given as text.
%     montemex:unitgather:wildcardFolder   MATLAB cannot use the folder /data/run*: its name
%                                          contains *. (with the folder)
%     montemex:unitgather:badSeed          The master seed must be a whole number from 0 to
%                                          4294967295.
%     montemex:unitgather:badCount         The number of units must be a whole number from 0
%                                          to 4294967295. (2^53 in MATLAB)
%     montemex:unitgather:badScript        The script must be given as text.
%     montemex:unitgather:badGroup         The number of units per task must be a whole
%                                          number from 1.
%     montemex:unitgather:badMaxArray      MaxArraySize must be a whole number from 0.
%     montemex:unitgather:cannotRead       Cannot read the folder /data/results: Permission
%                                          denied. (with the folder and the system's reason)
%     montemex:unitgather:mixedRuns        The results in /data/results come from different
%                                          hosts: Octave (unit 1) and MATLAB (unit 4).
%                                          Octave and MATLAB draw different numbers: keep the
%                                          results of one.
%                                          Without MASTER: The results in /data/results come
%                                          from different runs: master seed 2026 in Octave
%                                          (unit 1) and master seed 7 in Octave (unit 4).
%
%   Example (the chains of demo/cluster are structs of columns of draws, as these are):
%     folder = tempname();
%     unitrun(folder, 2026, 1:3, @(k) struct('tau', waitdraw(1, 100, 1)));
%     [chains, missing] = unitgather(folder, 2026, 4, 'chains.sbatch');   % prints its report
%     missing
%     tau = cellfun(@(c) mean(c.tau), chains(1:3))   % each chain's mean of tau
%
%   See also unitrun, unitseed, unittask.

% unitgather(FOLDER, N) and unitgather(FOLDER, N, SCRIPT), the first release's forms, give no
% master seed: the results' own is taken. GIVEN counts the arguments as the form with MASTER.
oldform = nargin == 2 || (nargin == 3 && ischar(n));
given = nargin + oldform;
if oldform
    if nargin == 3
        script = n;
    end
    n = master;
    master = [];
elseif nargin < 3 || nargin > 6
    error('montemex:unitgather:wrongInputCount', 'Wrong number of input arguments.');
end
if ~ischar(folder) || isempty(folder) || size(folder, 1) ~= 1
    error('montemex:unitgather:badFolder', 'The folder must be given as text.');
end
if ~oldform && (~iswhole(master) || master < 0 || master > 4294967295)
    error('montemex:unitgather:badSeed', 'The master seed must be a whole number from 0 to 4294967295.');
end
octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
[largest, largestText] = largestunit();
if ~iswhole(n) || n < 0 || n > largest
    error('montemex:unitgather:badCount', 'The number of units must be a whole number from 0 to %s.', largestText);
end
if given < 4 || (isnumeric(script) && isempty(script))
    script = 'job.sbatch';
elseif ~ischar(script) || isempty(script) || size(script, 1) ~= 1
    error('montemex:unitgather:badScript', 'The script must be given as text.');
end
if given < 5 || (isnumeric(pertask) && isempty(pertask))
    pertask = 1;
elseif ~iswhole(pertask) || pertask < 1
    error('montemex:unitgather:badGroup', 'The number of units per task must be a whole number from 1.');
end
if given < 6 || (isnumeric(maxarray) && isempty(maxarray))
    maxarray = [];
elseif ~iswhole(maxarray) || maxarray < 0
    error('montemex:unitgather:badMaxArray', 'MaxArraySize must be a whole number from 0.');
end
master = double(master);
n = double(n);
pertask = double(pertask);
folder = wholename(folder);
if ~octave && any(folder == '*')
    error('montemex:unitgather:wildcardFolder', 'MATLAB cannot use the folder %s: its name contains *.', folder);
end

% One listing of the folder says which units have files at all.
names = listfolder(folder);
found = regexp(names, '^unit(\d+)((?:\.error)?)\.mat$', 'tokens', 'once');
hasResult = false(1, n);
hasError = false(1, n);
listed = find(~cellfun('isempty', found));
for i = listed
    k = str2double(found{i}{1});
    % unit007.mat is no unit's file: the name must be the one unitrun writes
    if k >= 1 && k <= n && strcmp(found{i}{1}, sprintf('%d', k))
        if isempty(found{i}{2})
            hasResult(k) = true;
        else
            hasError(k) = true;
        end
    end
end
% Octave 9's save writes FILE.saving_in_progress beside FILE and renames it to FILE at the
% end: a save cut off leaves one or both, named as one.
leftovers = names(~cellfun('isempty', regexp(names, '^\.unit\d+(\.error)?\.[^.]+\.mat(\.saving_in_progress)?$', 'once')));
leftovers = unique(regexprep(leftovers, '\.saving_in_progress$', ''));

% The first release's forms: the master seed is the one the first whole result records, and
% every other result must record it too; failure records are checked against it (any master
% seed when no result is whole).
resultMaster = master;
if oldform
    [master, masterUnit, masterHost] = firstmaster(folder, find(hasResult));
    resultMaster = [];
end

results = cell(1, n);
done = false(1, n);
isfailed = false(1, n);
isrejected = false(1, n);
lines = cell(1, n);
host = '';
hostUnit = 0;
timer = tic;
shown = 0;
for k = find(hasResult | hasError)
    if hasResult(k)
        file = sprintf('%s%sunit%d.mat', folder, filesep, k);
        [state, saved, why] = readunit(file, 'unit', resultMaster, k);
        if strcmp(state, 'done')
            results{k} = saved.result;
            done(k) = true;
            thisHost = firstword(textfield(saved.unit, 'host'));
            if oldform && isempty(master)   % whole only since firstmaster looked
                [master, masterUnit, masterHost] = deal(double(saved.unit.master), k, thisHost);
            elseif oldform && double(saved.unit.master) ~= master
                error('montemex:unitgather:mixedRuns', ['The results in %s come from different runs: ' ...
                      'master seed %d in %s (unit %d) and master seed %d in %s (unit %d).'], ...
                      folder, master, masterHost, masterUnit, double(saved.unit.master), thisHost, k);
            end
            if isempty(host)
                host = thisHost;
                hostUnit = k;
            elseif ~strcmp(thisHost, host)
                error('montemex:unitgather:mixedRuns', ['The results in %s come from different hosts: ' ...
                      '%s (unit %d) and %s (unit %d). Octave and MATLAB draw different numbers: ' ...
                      'keep the results of one.'], folder, host, hostUnit, thisHost, k);
            end
        else
            isrejected(k) = true;
            lines{k} = sprintf('unit %d: %s is not counted: %s. Move it aside, then run the unit.', k, file, why);
        end
    else
        file = sprintf('%s%sunit%d.error.mat', folder, filesep, k);
        [state, saved, why] = readunit(file, 'failure', master, k);
        if strcmp(state, 'done')
            isfailed(k) = true;
            reason = textfield(saved.failure, 'message');
            if ~isempty(textfield(saved.failure, 'identifier'))
                reason = [textfield(saved.failure, 'identifier') ': ' reason];
            end
            lines{k} = sprintf('unit %d: failed on node %s: %s', k, textfield(saved.failure, 'node'), reason);
        else
            isrejected(k) = true;
            lines{k} = sprintf('unit %d: its failure record %s is not counted: %s. Move it aside, then run the unit.', ...
                               k, file, why);
        end
    end
    if toc(timer) - shown >= 2
        shown = toc(timer);
        fprintf('unitgather: %d of %d units read\n', k, n);
        if octave
            fflush(stdout);
        end
    end
end
missing = find(~done & ~isfailed & ~isrejected);
failed = find(isfailed);
rejected = find(isrejected);
% Missing units: one line for each run of consecutive ones, in index order with the others.
[first, last] = runs(missing);
for i = 1:numel(first)
    if first(i) == last(i)
        lines{first(i)} = sprintf('unit %d: no result (not run yet, still running, killed, or its node lost)', first(i));
    else
        lines{first(i)} = sprintf('units %d-%d: no result (not run yet, still running, killed, or their node lost)', ...
                                  first(i), last(i));
    end
end
lines = lines(~cellfun('isempty', lines));

if ~oldform
    seed = sprintf('master seed %d', master);
elseif isempty(master)
    seed = 'no result records a master seed';
else
    seed = sprintf('master seed %d, found in the results', master);
end
fprintf('unitgather: %d of %d units done in %s (%s)\n', sum(done), n, folder, seed);
for i = 1:min(20, numel(lines))
    fprintf('  %s\n', lines{i});
end
if numel(lines) > 20
    fprintf('  ... and %d lines more (all the units in the outputs MISSING, FAILED and REJECTED)\n', numel(lines) - 20);
end
if isscalar(leftovers)
    fprintf('  a save cut off left its hidden file %s: delete it once no task of the run is running:\n', leftovers{1});
elseif ~isempty(leftovers)
    fprintf('  saves cut off left %d hidden files (%s, ...): delete them once no task of the run is running:\n', ...
            numel(leftovers), leftovers{1});
end
if ~isempty(leftovers)
    fprintf('    rm -f -- %s/.unit*.mat*\n', shellquote(folder));
end
if ~all(done)
    printcommands(unittask(find(~done), n, pertask, 'tasks'), n, pertask, maxarray, script, oldform);
end
end

function [master, unit, host] = firstmaster(folder, units)
% The master seed that the first whole result of UNITS records, that unit and its host's
% name ([], 0 and '' when none is whole).
[master, unit, host] = deal([], 0, '');
for k = units
    [state, saved] = readunit(sprintf('%s%sunit%d.mat', folder, filesep, k), 'unit', [], k);
    if strcmp(state, 'done')
        [master, unit, host] = deal(double(saved.unit.master), k, firstword(textfield(saved.unit, 'host')));
        return;
    end
end
end

function printcommands(tasks, n, pertask, maxarray, script, oldform)
% The sbatch commands that run TASKS: array indices below MaxArraySize, in ranges, with the
% offset the script adds to them for the tasks past MaxArraySize - 1. OLDFORM: gather was
% called as in the first release, whose scripts ran unit $SLURM_ARRAY_TASK_ID, offset or not.
width = Inf;   % the most tasks one array may hold: Slurm's max_array_tasks
if isempty(maxarray)
    [maxarray, width, source] = readmaxarray();
else
    source = 'as given';
end
if maxarray < 2
    fprintf('job arrays are off on this cluster (MaxArraySize %d, %s): run these tasks some other way: %s\n', ...
            maxarray, source, ranges(tasks));
    return;
end
limits = sprintf('MaxArraySize %d', maxarray);
if width < maxarray - 1
    limits = sprintf('%s, max_array_tasks %d', limits, width);
end
fprintf('run the tasks that hold them again (%d %s a task; %s, %s):\n', ...
        pertask, plural(pertask, 'unit', 'units'), limits, source);
width = min(width, maxarray - 1);
windows = floor((tasks - 1) / width);
if strncmp(script, '-', 1)
    script = ['./' script];   % not an option of sbatch's
end
for window = unique(windows)
    offset = window * width;
    command = sprintf('sbatch --array=%s %s %d %d', ranges(tasks(windows == window) - offset), ...
                      shellquote(script), n, pertask);
    if offset > 0
        command = sprintf('%s %d', command, offset);
    end
    fprintf('  %s\n', command);
end
if oldform && numel(unique(windows)) > 1
    fprintf(['  (the script must add its third argument to the array index, as demo/cluster/chains.sbatch\n' ...
             '   does: a script that runs unit $SLURM_ARRAY_TASK_ID cannot run the tasks past %d)\n'], width);
end
end

function [value, tasks, source] = readmaxarray()
% The cluster's MaxArraySize and max_array_tasks from Slurm, else Slurm's defaults.
value = 1001;
tasks = Inf;
source = 'Slurm''s default: scontrol show config gave none';
if ispc
    return;
end
[status, text] = system('timeout 10 scontrol show config 2>/dev/null');
found = regexp(text, 'MaxArraySize\s*=\s*(\d+)', 'tokens', 'once');
if status == 0 && ~isempty(found)
    value = str2double(found{1});
    source = 'from scontrol show config';
    found = regexp(text, 'SchedulerParameters\s*=\s*\S*max_array_tasks=(\d+)', 'tokens', 'once');
    if ~isempty(found)
        tasks = str2double(found{1});
    end
end
end

function text = ranges(indices)
% Increasing indices as Slurm writes an array: runs of consecutive ones as first-last.
[first, last] = runs(indices);
parts = cell(1, numel(first));
for i = 1:numel(first)
    if last(i) == first(i)
        parts{i} = sprintf('%d', first(i));
    else
        parts{i} = sprintf('%d-%d', first(i), last(i));
    end
end
text = strjoin(parts, ',');
end

function [first, last] = runs(indices)
% The first and the last index of each run of consecutive ones in the increasing INDICES.
first = zeros(1, 0);
last = zeros(1, 0);
if ~isempty(indices)
    ends = [find(diff(indices) ~= 1), numel(indices)];
    first = indices([1, ends(1:end - 1) + 1]);
    last = indices(ends);
end
end

function text = shellquote(text)
% TEXT as one word of a POSIX shell, quoted when it has to be.
if isempty(regexp(text, '^[A-Za-z0-9_./=:,+@%-]+$', 'once'))
    text = ['''' strrep(text, '''', '''\''''') ''''];
end
end

function text = plural(count, one, many)
if count == 1
    text = one;
else
    text = many;
end
end

function names = listfolder(folder)
% The names in FOLDER, read by its exact name (dir would expand wildcards in Octave).
if exist('OCTAVE_VERSION', 'builtin')
    [names, err, reason] = readdir(folder);
    if err ~= 0 && exist(folder, 'dir') ~= 7 && exist(folder, 'file') == 0
        names = {};
    elseif err ~= 0
        error('montemex:unitgather:cannotRead', 'Cannot read the folder %s: %s.', folder, sentence(reason));
    end
else
    listed = dir(folder);
    names = {listed.name};
end
names = reshape(names, 1, numel(names));
end

function text = textfield(record, name)
% Field NAME of RECORD as text for a message, whatever it holds.
text = '?';
if isfield(record, name) && ischar(record.(name)) && size(record.(name), 1) <= 1
    text = record.(name);
elseif isfield(record, name)
    text = describe(record.(name));
end
end

function word = firstword(text)
% The program's name in a host's name and version (strtok takes longer).
word = text(1:min([find(text == ' ', 1) - 1, numel(text)]));
end

%!test
%! folder = tempname();
%! unwind_protect
%!   evalc('[results, missing, failed, rejected] = unitgather(folder, 5, 2);');
%!   assert({results, missing, failed, rejected}, {{[], []}, [1 2], zeros(1, 0), zeros(1, 0)});
%!   evalc('unitrun(folder, 5, [1 2 6:9], @(k) k * rand());');
%!   evalc('try, unitrun(folder, 5, 4, @(k) error(''my:id'', ''broke.'')); end');
%!   % Files that are not counted, all named in one pass: a copied file, an empty one, one
%!   % that is no MAT-file, a folder, one whose master seed is text, another run's failure.
%!   copyfile(fullfile(folder, 'unit1.mat'), fullfile(folder, 'unit10.mat'));
%!   fclose(fopen(fullfile(folder, 'unit11.mat'), 'w'));
%!   file = fopen(fullfile(folder, 'unit12.mat'), 'w');
%!   fwrite(file, uint8(0:255));
%!   fclose(file);
%!   mkdir(fullfile(folder, 'unit13.mat'));
%!   bad = struct('result', 1, 'unit', struct('index', 14, 'master', '5'));
%!   save('-v7', fullfile(folder, 'unit14.mat'), '-struct', 'bad');
%!   evalc('try, unitrun(folder, 6, 15, @(k) error(''broke.'')); end');
%!   % A file of the helpers before "function" was recorded counts; a hidden file of a save
%!   % cut off is named.
%!   old = struct('result', 16, 'unit', struct('index', 16, 'master', 5, 'host', 'Octave 7.3.0', ...
%!                'node', 'n1', 'seconds', 1, 'finished', '2025-01-01 00:00:00'));
%!   save('-v7', fullfile(folder, 'unit16.mat'), '-struct', 'old');
%!   fclose(fopen(fullfile(folder, '.unit3.oct-Ab12.mat'), 'w'));
%!   text = evalc('[results, missing, failed, rejected] = unitgather(folder, 5, 17, ''my job.sbatch'', 2, 5);');
%!   assert({missing, failed, rejected}, {[3 5 17], 4, 10:15});
%!   unitseed(5, 7);
%!   assert(results{7}, 7 * rand());
%!   assert(results{16}, 16);
%!   assert(isempty(results{3}) && isempty(results{10}) && numel(results) == 17);
%!   expected = {regexptranslate('escape', sprintf('unitgather: 7 of 17 units done in %s (master seed 5)', folder)), ...
%!               'unit 4: failed on node \S+: my:id: broke\.', ...
%!               'unit 5: no result \(not run yet, still running, killed, or its node lost\)', ...
%!               'unit10\.mat is not counted: it records unit 1 of master seed 5\. Move it aside', ...
%!               'unit11\.mat is not counted: it is empty\.', ...
%!               'unit12\.mat is not counted: it cannot be read \(', ...
%!               'unit13\.mat is not counted: it is not a regular file\.', ...
%!               'unit14\.mat is not counted: it records unit 14 of master seed ''5'' \(text\)\.', ...
%!               'unit 15: its failure record \S+unit15\.error\.mat is not counted: it records unit 15 of master seed 6\.', ...
%!               ['a save cut off left its hidden file \.unit3\.oct-Ab12\.mat: .*\n    rm -f -- ' regexptranslate('escape', folder) '/\.unit\*\.mat\*\n'], ...
%!               '\(2 units a task; MaxArraySize 5, as given\):', ...
%!               '\n  sbatch --array=2-3 ''my job\.sbatch'' 17 2\n  sbatch --array=1-4 ''my job\.sbatch'' 17 2 4\n  sbatch --array=1 ''my job\.sbatch'' 17 2 8\n$'};
%!   for i = 1:numel(expected)
%!     assert(~isempty(regexp(text, expected{i}, 'once')), 'no "%s" in:\n%s', expected{i}, text);
%!   end
%!   % Missing units in runs; MaxArraySize from Slurm or its default.
%!   text = evalc('unitgather(folder, 5, 40);');
%!   assert(~isempty(regexp(text, ['\n  units 17-40: no result \(not run yet, still running, killed, or their node lost\)\n' ...
%!                                 '.*MaxArraySize \d+.*\n  sbatch --array=3-5,10-15,17-40 job\.sbatch 40 1\n$'])));
%!   % Octave 9's save leaves FILE.saving_in_progress (beside FILE, or alone) when cut off.
%!   fclose(fopen(fullfile(folder, '.unit3.oct-Ab12.mat.saving_in_progress'), 'w'));
%!   fclose(fopen(fullfile(folder, '.unit9.oct-Cd34.mat.saving_in_progress'), 'w'));
%!   text = evalc('unitgather(folder, 5, 2);');
%!   assert(~isempty(regexp(text, '^unitgather: 2 of 2 units done in \S+ \(master seed 5\)\n  saves cut off left 2 hidden files [^\n]*\n    rm -f -- \S+\n$')));
%!   % At most 20 lines: units 1, 3, ..., 49 missing, a line each.
%!   evalc('unitrun(fullfile(folder, ''even''), 5, 2:2:50, @(k) k);');
%!   text = evalc('unitgather(fullfile(folder, ''even''), 5, 50);');
%!   assert(numel(strfind(text, sprintf('\n  unit '))), 20);
%!   assert(~isempty(strfind(text, sprintf('\n  unit 39: no result (not run yet, still running, killed, or its node lost)\n  ... and 5 lines more'))));
%!   % Results of Octave and of MATLAB do not belong together.
%!   saved = load(fullfile(folder, 'unit2.mat'));
%!   saved.unit.host = 'MATLAB 9.14.0 (R2023a)';
%!   save('-v7', fullfile(folder, 'unit2.mat'), '-struct', 'saved');
%!   try
%!     evalc('unitgather(folder, 5, 3);');
%!     assert(false, 'no error');
%!   catch err
%!     assert({err.identifier, err.message}, {'montemex:unitgather:mixedRuns', sprintf(['The results in %s come from ' ...
%!             'different hosts: Octave (unit 1) and MATLAB (unit 2). Octave and MATLAB draw different numbers: ' ...
%!             'keep the results of one.'], folder)});
%!   end
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir(false, 'local');
%!   rmdir(folder, 's');
%! end_unwind_protect
%!test
%! % The first release's forms: no master seed given, the results' own is taken.
%! folder = tempname();
%! unwind_protect
%!   text = evalc('[results, missing, failed, rejected] = unitgather(folder, 2);');
%!   assert({results, missing, failed, rejected}, {{[], []}, [1 2], zeros(1, 0), zeros(1, 0)});
%!   assert(~isempty(strfind(text, '(no result records a master seed)')));
%!   % Unit 1 empty, 2 and 4 done, 3 failed, 5 a copy of unit 2's file, 6 failed under another
%!   % master seed, 7 not run.
%!   evalc('unitrun(folder, 5, [2 4], @(k) k * rand());');
%!   evalc('try, unitrun(folder, 5, 3, @(k) error(''my:id'', ''broke.'')); end');
%!   evalc('try, unitrun(folder, 6, 6, @(k) error(''broke.'')); end');
%!   fclose(fopen(fullfile(folder, 'unit1.mat'), 'w'));
%!   copyfile(fullfile(folder, 'unit2.mat'), fullfile(folder, 'unit5.mat'));
%!   text = evalc('[results, missing, failed, rejected] = unitgather(folder, 7, ''my job.sbatch'');');
%!   assert({missing, failed, rejected}, {7, 3, [1 5 6]});
%!   unitseed(5, 4);
%!   assert(results{4}, 4 * rand());
%!   expected = {regexptranslate('escape', sprintf('unitgather: 2 of 7 units done in %s (master seed 5, found in the results)', folder)), ...
%!               'unit1\.mat is not counted: it is empty\.', ...
%!               'unit 3: failed on node \S+: my:id: broke\.', ...
%!               'unit5\.mat is not counted: it records unit 2 of master seed 5\.', ...
%!               'unit 6: its failure record \S+unit6\.error\.mat is not counted: it records unit 6 of master seed 6\.', ...
%!               '\n  sbatch --array=1,3,5-7 ''my job\.sbatch'' 7 1\n$'};
%!   for i = 1:numel(expected)
%!     assert(~isempty(regexp(text, expected{i}, 'once')), 'no "%s" in:\n%s', expected{i}, text);
%!   end
%!   % Results of two master seeds: refused in both forms, naming a unit of each.
%!   evalc('unitrun(folder, 6, 7, @(k) k);');
%!   for form = {{7}, {7, 'job.sbatch'}}
%!     try
%!       evalc('unitgather(folder, form{1}{:});');
%!       assert(false, 'no error');
%!     catch err
%!       assert({err.identifier, err.message}, {'montemex:unitgather:mixedRuns', sprintf(['The results in %s come ' ...
%!               'from different runs: master seed 5 in Octave (unit 2) and master seed 6 in Octave (unit 7).'], folder)});
%!     end
%!   end
%!   evalc('[~, missing, failed, rejected] = unitgather(folder, 6, 7);');   % given the master seed: listed
%!   assert({missing, failed, rejected}, {zeros(1, 0), 6, 1:5});
%!   % Tasks past MaxArraySize (Slurm's or its default): scripts of the first release cannot run them.
%!   text = evalc('unitgather(fullfile(folder, ''none''), 2500);');
%!   assert(numel(strfind(text, 'sbatch --array=')) > 1, ~isempty(strfind(text, 'cannot run the tasks past')));
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir(false, 'local');
%!   rmdir(folder, 's');
%! end_unwind_protect
%!error <Wrong number of input arguments> unitgather('x')
%!error <master seed must be> unitgather('x', [], 1)
%!error <script must be given as text> unitgather('x', 1, '')
%!error <number of units must be> unitgather('x', -1, 'a')
%!error <folder must be given as text> unitgather({'x'}, 1, 1)
%!error <master seed must be> unitgather('x', -1, 1)
%!error <number of units must be a whole number from 0 to 4294967295\.> unitgather('x', 1, 2^32)
%!error <number of units must be> unitgather('x', 1, 1.5)
%!error <script must be given as text> unitgather('x', 1, 1, 2)
%!error <units per task must be> unitgather('x', 1, 1, 'a', 0)
%!error <MaxArraySize must be> unitgather('x', 1, 1, 'a', 1, -1)
