function result = unitrun(folder, master, k, fn, varargin)
%UNITRUN  Run units of work seeded from (master seed, unit index), each once, into its own file.
%
%   unitrun(FOLDER, MASTER, K, FN) runs unit K of a run whose units are independent pieces of
%   work (MCMC chains, blocks of bootstrap draws, particle filter runs), numbered 1 to N:
%     1. unitseed(MASTER, K) seeds the generators from the master seed and K alone.
%     2. If FOLDER/unit<K>.mat holds the result of unit K of master seed MASTER, the unit is
%        done: nothing is run (the generators stay seeded as in step 1). A file there that
%        cannot be read whole, or that records another unit or master seed (a copied file, a
%        folder left from another run), is not done either: unitrun stops with an error that
%        names the file and what it records, and leaves the file to you to move aside.
%     3. R = FN(K) runs the unit.
%     4. R is saved as the variable "result", with "unit" (a struct: index, master,
%        function, host, node, seconds, finished), to a hidden file in FOLDER, which is read
%        back and checked (a full disk can leave a file cut short without any error) and then
%        renamed to FOLDER/unit<K>.mat. A rename within a folder is atomic: unit<K>.mat is
%        either absent or complete, never half written, even when the process is killed.
%        When another copy of the unit (a requeued task, say) saved unit<K>.mat first, that
%        file is kept as it is. A record of an earlier failure of the unit
%        (unit<K>.error.mat) is then deleted.
%   Each unit prints one line: done and where, or done before.
%
%   FOLDER is used as given: absolute, or relative to the current folder at the call (never
%   looked up along the load path), whatever FN does to the current folder; it is created
%   when missing. Files are saved, read and deleted by their exact names, so a folder named
%   run[12] or -results is a folder like any other.
%
%   An error in FN (a function that cannot be found too), or in saving its result, is
%   recorded in FOLDER/unit<K>.error.mat (the variable "failure": index, master, function,
%   node, identifier, message, stack, finished), written and checked the same way, and is
%   then raised again as it was, so that the process ends with an error (Slurm then marks
%   the task FAILED). unitgather reports such units by index.
%
%   unitrun(FOLDER, MASTER, KS, FN) with a vector KS runs those units in turn, each as above:
%   units done before are skipped, and a unit that fails does not stop the others. After the
%   last one the first failure is raised again (each was printed and recorded when it
%   happened). Each unit starts in the folder unitrun was called in. A task of a job array
%   runs its group of units so: unitrun(FOLDER, MASTER, unittask(T, N, PERTASK), FN).
%
%   Because every unit seeds itself, a unit's result is the same bit for bit whichever
%   machine, process or job array task runs it, in whatever order, and run again after a
%   failure, and the same as running the units one after another in one process:
%       unitrun(FOLDER, MASTER, 1:N, FN)
%   A unit killed part-way leaves no result, so running the whole set again (or just the
%   tasks unitgather names) completes it without touching the results already there. A
%   save cut off by a signal can leave its hidden file (.unit<K>.<tag>.mat, or in Octave 9
%   .unit<K>.<tag>.mat.saving_in_progress) behind; unitgather names such files.
%
%   R = unitrun(...) also returns the result, read from FOLDER/unit<K>.mat when the unit
%   was done before; with a vector KS, a cell array of the results.
%
%   unitrun(FOLDER, MASTER, K, FN, ARG1, ARG2, ...) calls FN(K, ARG1, ARG2, ...).
%
%   In a Slurm job array, task T runs its group of units (demo/cluster of the montemex
%   sources is a complete example; unittask says which units a task runs):
%       octave-cli --eval "unitrun('results', 2026, unittask($SLURM_ARRAY_TASK_ID, 10000, 50), 'myunit')"
%
%   Arguments:
%     FOLDER  the folder of the run's result files, as text; a folder all machines share
%             when the units run on several. A leading ~/ is the home folder (not on
%             Windows). In MATLAB it may not contain *, which MATLAB's movefile and delete
%             read as a wildcard.
%     MASTER  the master seed of the run, as in unitseed.
%     K       the unit's index, as in unitseed, or a vector of them.
%     FN      the unit, a function handle or the name of a function: R = FN(K, ...). It
%             draws only from rand and randn (and the montemex functions). R may be any
%             value save can write to a MAT-file (version 7).
%
%   The host recorded is the program and its version (Octave 7.3.0, say): Octave and MATLAB
%   draw different numbers from the same seeds. The node is the Slurm node name when run by
%   Slurm (SLURMD_NODENAME), else the machine's name (HOSTNAME; COMPUTERNAME, as Windows has
%   it; else what the host gives). The function is FN's name (for an anonymous function,
%   its text). Results are saved with save -v7, readable in Octave and MATLAB alike; files
%   saved by earlier versions of unitrun, which have no "function", are read alike.
%
%   Errors (identifier, message):
%     montemex:unitrun:wrongInputCount  Wrong number of input arguments.
%     montemex:unitrun:badFolder        The folder must be given as text.
%     montemex:unitrun:wildcardFolder   MATLAB cannot use the folder /data/run*: its name
%                                       contains *. (with the folder)
%     montemex:unitrun:badFunction      The unit must be a function handle or a function
%                                       name.
%     montemex:unitrun:cannotMakeFolder Cannot make the folder /data/results: Permission
%                                       denied. (with the folder and the system's reason)
%     montemex:unitrun:notThisUnit      /data/results/unit3.mat is not the result of unit 3
%                                       of master seed 2026: it records unit 1 of master seed
%                                       2026. Move it aside to run the unit. (or: it is
%                                       empty; it cannot be read (<reason>); ...)
%     montemex:unitrun:cannotSave       Cannot save /data/results/unit3.mat: No space left
%                                       on device. (with the file and the system's reason)
%     montemex:unitseed:badSeed, montemex:unitseed:badIndex  from unitseed, for MASTER and K.
%   Errors raised by FN pass through unchanged, after they are recorded.
%
%   Warning: montemex:unitrun:notRecorded  The failure of unit 3 was not recorded: <reason>.
%   (when the record of a failure cannot be written; the failure is still raised).
%
%   Example (in a fresh folder; the second call finds unit 1 done):
%     folder = tempname();
%     r = unitrun(folder, 7, 1, @(k) waitdraw(1, 1, 3))
%     again = unitrun(folder, 7, 1, @(k) waitdraw(1, 1, 3))
%     rs = unitrun(folder, 7, 1:3, @(k) waitdraw(1, 1, 3))
%
%   See also unitgather, unitseed, unittask.

if nargin < 4
    error('montemex:unitrun:wrongInputCount', 'Wrong number of input arguments.');
end
if ~ischar(folder) || isempty(folder) || size(folder, 1) ~= 1
    error('montemex:unitrun:badFolder', 'The folder must be given as text.');
end
if ischar(fn) && ~isempty(fn) && size(fn, 1) == 1
    name = fn;
elseif isa(fn, 'function_handle')
    name = func2str(fn);
else
    error('montemex:unitrun:badFunction', 'The unit must be a function handle or a function name.');
end
% The seed and every index are checked before any unit runs.
if isempty(k)
    unitseed(master, k);
end
for i = 1:numel(k)
    unitseed(master, k(i));
end
master = double(master);
k = reshape(double(k), 1, numel(k));
octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
folder = wholename(folder);
if ~octave && any(folder == '*')
    error('montemex:unitrun:wildcardFolder', 'MATLAB cannot use the folder %s: its name contains *.', folder);
end
if exist(folder, 'dir') ~= 7
    [made, reason] = mkdir(folder);
    if ~made && exist(folder, 'dir') ~= 7   % another task may have made it meanwhile
        error('montemex:unitrun:cannotMakeFolder', 'Cannot make the folder %s: %s.', folder, sentence(reason));
    end
end

here = pwd;
results = cell(1, numel(k));
first = [];
for i = 1:numel(k)
    try
        results{i} = rununit(folder, master, k(i), fn, name, varargin, nargout > 0);
    catch err
        if numel(k) == 1
            rethrow(err);
        end
        if isempty(first)
            first = err;
        end
        fprintf('unit %d failed: %s\n', k(i), err.message);
    end
    if ~strcmp(pwd, here)
        try
            cd(here);
        catch %#ok<CTCH> the folder is gone: the file names are whole anyway
        end
    end
end
if ~isempty(first)
    rethrow(first);
end
if nargout > 0 && numel(k) == 1
    result = results{1};
elseif nargout > 0
    result = results;
end
end

function value = rununit(folder, master, k, fn, name, args, wanted)
% Runs unit K unless its file says it was done, saves its result or records its failure.
resultFile = sprintf('%s%sunit%d.mat', folder, filesep, k);
errorFile = sprintf('%s%sunit%d.error.mat', folder, filesep, k);
unitseed(master, k);
value = [];
[state, saved, why] = readunit(resultFile, 'unit', master, k);
if strcmp(state, 'done')
    fprintf('unit %d: done before, not run again (%s)\n', k, resultFile);
    if wanted
        value = saved.result;
    end
    return;
elseif strcmp(state, 'bad')
    error('montemex:unitrun:notThisUnit', '%s is not the result of unit %d of master seed %d: %s. Move it aside to run the unit.', ...
          resultFile, k, master, why);
end

started = tic;
try
    if ischar(fn)
        fn = str2func(fn);   % here, so that a function that cannot be found is recorded
    end
    value = fn(k, args{:});
    unit = struct('index', k, 'master', master, 'function', name, 'host', hostname(), ...
                  'node', nodename(), 'seconds', toc(started), 'finished', timestamp());
    kept = saveunit(folder, k, struct('result', {value}, 'unit', unit), 'unit', master);
catch err
    failure = struct('index', k, 'master', master, 'function', name, 'node', nodename(), ...
                     'identifier', err.identifier, 'message', err.message, ...
                     'stack', {err.stack}, 'finished', timestamp());
    try
        saveunit(folder, k, struct('failure', failure), 'failure', master);
    catch recordErr
        warning('montemex:unitrun:notRecorded', 'The failure of unit %d was not recorded: %s.', ...
                k, sentence(recordErr.message));
    end
    rethrow(err);
end
removefile(errorFile);
if kept
    fprintf('unit %d done in %.1f s; another copy saved it first, kept (%s)\n', k, unit.seconds, resultFile);
else
    fprintf('unit %d done in %.1f s (%s)\n', k, unit.seconds, resultFile);
end
end

function kept = saveunit(folder, k, data, record, master)
% Saves the fields of DATA as variables to unit K's file in FOLDER (unit<K>.mat for the
% RECORD 'unit', unit<K>.error.mat for 'failure') by way of a hidden file in the same folder,
% .unit<K>[.error].<tag>.mat, read back and checked, then renamed: a rename within one file
% system replaces the file atomically. KEPT is true when unit<K>.mat was already a result of
% this unit (another copy's): it is then left as it is.
name = sprintf('unit%d', k);
if strcmp(record, 'failure')
    name = [name '.error'];
end
file = [folder filesep name '.mat'];
tag = tempname();
tag = regexprep(tag(find(tag == filesep, 1, 'last') + 1:end), '[^A-Za-z0-9_-]', '');
temp = [folder filesep '.' name '.' tag '.mat'];
octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
kept = false;
try
    % Opening it first gives the system's reason when the folder refuses the file.
    [fid, reason] = fopen(temp, 'w');
    if fid < 0
        error('montemex:unitrun:cannotSave', 'Cannot save %s: %s.', file, sentence(reason));
    end
    fclose(fid);
    if octave
        errno(0);
    end
    save(temp, '-struct', 'data', '-v7');
    code = 0;
    if octave
        code = errno();   % save's reason, read before other calls (loading a function) change it
    end
    [state, ~, why] = readunit(temp, record, master, k);
    if ~strcmp(state, 'done')
        error('montemex:unitrun:cannotSave', 'Cannot save %s: %s.', file, writereason(code, why));
    end
    if strcmp(record, 'unit') && strcmp(readunit(file, record, master, k), 'done')
        kept = true;
        removefile(temp);
        return;
    end
    if octave
        [status, reason] = rename(temp, file);
        moved = status == 0;
    else
        [moved, reason] = movefile(temp, file, 'f');
    end
    if ~moved
        error('montemex:unitrun:cannotSave', 'Cannot save %s: %s.', file, sentence(reason));
    end
catch err
    removefile(temp);
    if strcmp(record, 'unit') && strcmp(readunit(file, record, master, k), 'done')
        kept = true;
    elseif strcmp(err.identifier, 'montemex:unitrun:cannotSave')
        rethrow(err);
    else
        error('montemex:unitrun:cannotSave', 'Cannot save %s: %s.', file, sentence(err.message));
    end
end
end

function text = writereason(code, why)
% Why a file just saved cannot be read back whole: the system's reason when Octave's save
% left one in errno, CODE (it reports none of its own), else what reading it back said.
text = ['the file written cannot be read back whole: ' why];
if code == 0
    return;
end
codes = errno_list();
reasons = {'ENOSPC', 'No space left on device'; 'EDQUOT', 'Disk quota exceeded'; ...
           'EFBIG', 'File too large'; 'EIO', 'Input/output error'};
for i = 1:size(reasons, 1)
    if isfield(codes, reasons{i, 1}) && code == codes.(reasons{i, 1})
        text = reasons{i, 2};
    end
end
end

function removefile(file)
% Deletes the file of exactly this name, if there is one (delete would expand wildcards).
if ~strcmp(filekind(file), 'none')
    if exist('OCTAVE_VERSION', 'builtin')
        unlink(file);
    else
        delete(file);
    end
end
end

function text = timestamp()
% The time now, as yyyy-mm-dd HH:MM:SS (datestr takes a millisecond for it).
text = sprintf('%04d-%02d-%02d %02d:%02d:%02d', fix(clock()));
end

function name = hostname()
% The program running the unit and its version: its generators decide the numbers drawn.
if exist('OCTAVE_VERSION', 'builtin')
    name = ['Octave ' OCTAVE_VERSION];
else
    name = ['MATLAB ' version];
end
end

function name = nodename()
% The Slurm node running this process, else the machine's name.
names = {getenv('SLURMD_NODENAME'), getenv('HOSTNAME'), getenv('COMPUTERNAME')};
for i = 1:numel(names)
    if ~isempty(names{i})
        name = names{i};
        return;
    end
end
if exist('OCTAVE_VERSION', 'builtin')
    name = gethostname();
else
    [status, name] = system('hostname');
    name = strtrim(name);
    if status ~= 0
        name = '';
    end
end
end

%!function [e, text] = caught(f)
%!  % The error F raises, or [] when it raises none, and what it printed.
%!  e = [];
%!  text = evalc('try; f(); catch e; end');
%!endfunction

%!function r = flaky(k)
%!  if k == 5
%!    error('my:five', 'unit 5 broke.');
%!  end
%!  r = k + rand();
%!endfunction

%!function r = wanderer(k)
%!  % Where the unit started; it leaves for another folder.
%!  r = pwd;
%!  cd(tempdir);
%!endfunction

%!function r = secondcopy(k, folder)
%!  % Another copy of unit K saves it while this one runs, then this one ends alike.
%!  evalc('unitrun(folder, 7, k, @(k) rand());');
%!  unitseed(7, k);
%!  r = rand();
%!endfunction

%!function r = dropfolder(k, folder)
%!  confirm_recursive_rmdir(false, 'local');
%!  rmdir(folder, 's');
%!  r = k;
%!endfunction

%!test
%! folder = tempname();
%! unwind_protect
%!   fn = @(k, a) [k, a, rand(1, 2)];
%!   evalc('r = unitrun(folder, 7, 3, fn, 10);');
%!   unitseed(7, 3);
%!   assert(r, [3, 10, rand(1, 2)]);
%!   saved = load(fullfile(folder, 'unit3.mat'));
%!   assert(saved.result, r);
%!   assert({saved.unit.index, saved.unit.master, saved.unit.function}, {3, 7, func2str(fn)});
%!   % Done before: not run again, the file is left alone, the saved result is returned.
%!   before = dir(fullfile(folder, 'unit3.mat'));
%!   evalc('again = unitrun(folder, 7, 3, @(k) error(''run again''));');
%!   assert(again, r);
%!   assert(dir(fullfile(folder, 'unit3.mat')), before);
%!   % A failure is recorded with the unit's index and raised as it was; so is a function
%!   % that cannot be found.
%!   e = caught(@() unitrun(folder, 7, 4, @(k) error('my:id', 'unit %d broke.', k)));
%!   assert({e.identifier, e.message}, {'my:id', 'unit 4 broke.'});
%!   saved = load(fullfile(folder, 'unit4.error.mat'));
%!   assert({saved.failure.index, saved.failure.master, saved.failure.identifier}, {4, 7, 'my:id'});
%!   assert(~isempty(caught(@() unitrun(folder, 7, 6, 'nosuchunitfunction'))));
%!   saved = load(fullfile(folder, 'unit6.error.mat'));
%!   assert(saved.failure.function, 'nosuchunitfunction');
%!   % Several units in turn: 3 done before, 4 and 6 done now (their records go), 5 fails
%!   % without stopping 6, and its error is raised after the last unit.
%!   [e, text] = caught(@() unitrun(folder, 7, 3:6, @flaky));
%!   assert(e.identifier, 'my:five');
%!   assert(~isempty(strfind(text, 'unit 3: done before')) && ~isempty(strfind(text, 'unit 5 failed: unit 5 broke.')));
%!   assert([exist(fullfile(folder, 'unit4.error.mat'), 'file'), exist(fullfile(folder, 'unit6.error.mat'), 'file')], [0 0]);
%!   evalc('rs = unitrun(folder, 7, [6 4], @flaky);');
%!   unitseed(7, 6);
%!   assert(rs{1}, 6 + rand());
%!   assert(sort(readdir(folder))', {'.', '..', 'unit3.mat', 'unit4.mat', 'unit5.error.mat', 'unit6.mat'});
%!   % Another copy saved the unit while this one ran: its file is kept.
%!   evalc('r = unitrun(folder, 7, 2, @secondcopy, folder);');
%!   saved = load(fullfile(folder, 'unit2.mat'));
%!   assert({saved.result, saved.unit.function}, {r, func2str(@(k) rand())});
%!   % The node's name where neither Slurm nor HOSTNAME gives it, as on Windows.
%!   names = {'SLURMD_NODENAME', 'HOSTNAME', 'COMPUTERNAME'};
%!   values = cellfun(@getenv, names, 'UniformOutput', false);
%!   unwind_protect
%!     cellfun(@setenv, names, {'', '', 'winnode'});
%!     evalc('unitrun(folder, 7, 1, @(k) k);');
%!   unwind_protect_cleanup
%!     cellfun(@setenv, names, values);
%!   end_unwind_protect
%!   saved = load(fullfile(folder, 'unit1.mat'));
%!   assert(saved.unit.node, 'winnode');
%!   % A save that fails gives the system's reason; the failure cannot be recorded either.
%!   lastwarn('');
%!   e = caught(@() unitrun(folder, 7, 9, @dropfolder, folder));
%!   assert({e.identifier, e.message}, {'montemex:unitrun:cannotSave', ...
%!           sprintf('Cannot save %s/unit9.mat: No such file or directory.', folder)});
%!   [~, id] = lastwarn();
%!   assert(id, 'montemex:unitrun:notRecorded');
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir(false, 'local');
%!   if exist(folder, 'dir')
%!     rmdir(folder, 's');
%!   end
%! end_unwind_protect

%!test
%! % A file that is not unit k's result of this master seed is never taken as done.
%! folder = tempname();
%! unwind_protect
%!   evalc('unitrun(folder, 7, 1, @(k) rand());');
%!   e = caught(@() unitrun(folder, 8, 1, @(k) rand()));
%!   assert({e.identifier, e.message}, {'montemex:unitrun:notThisUnit', sprintf(['%s/unit1.mat is not the result of ' ...
%!           'unit 1 of master seed 8: it records unit 1 of master seed 7. Move it aside to run the unit.'], folder)});
%!   copyfile(fullfile(folder, 'unit1.mat'), fullfile(folder, 'unit2.mat'));
%!   fclose(fopen(fullfile(folder, 'unit3.mat'), 'w'));
%!   file = fopen(fullfile(folder, 'unit4.mat'), 'w');
%!   fwrite(file, uint8(0:255));
%!   fclose(file);
%!   mkdir(fullfile(folder, 'unit5.mat'));
%!   symlink('/dev/zero', fullfile(folder, 'unit6.mat'));
%!   bad = struct('result', 1, 'unit', struct('index', 7, 'master', '7'));
%!   save('-v7', fullfile(folder, 'unit7.mat'), '-struct', 'bad');
%!   whys = {'it records unit 1 of master seed 7', 'it is empty', 'it cannot be read', 'it is not a regular file', ...
%!           'it is not a regular file', 'it records unit 7 of master seed ''7'' (text)'};
%!   for k = 2:7
%!     e = caught(@() unitrun(folder, 7, k, @(k) rand()));
%!     assert(e.identifier, 'montemex:unitrun:notThisUnit');
%!     assert(strfind(e.message, whys{k - 1}) > 0);
%!   end
%!   % A file of the helpers before "function" was recorded is done when it is this unit's.
%!   old = struct('result', 8, 'unit', struct('index', 8, 'master', 7, 'host', 'Octave 7.3.0', ...
%!                'node', 'n1', 'seconds', 1, 'finished', '2025-01-01 00:00:00'));
%!   save('-v7', fullfile(folder, 'unit8.mat'), '-struct', 'old');
%!   evalc('r = unitrun(folder, 7, 8, @(k) error(''run again''));');
%!   assert(r, 8);
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir(false, 'local');
%!   rmdir(folder, 's');
%! end_unwind_protect

%!test
%! % Folders are used as given, by their exact names, wherever the unit goes.
%! root = tempname();
%! here = pwd;
%! mkdir(root);
%! unwind_protect
%!   cd(root);
%!   for name = {'run1', 'run2', 'run[12]'}
%!     caught(@() unitrun(name{1}, 7, 4, @(k) error('broke.')));
%!   end
%!   evalc('unitrun(''run[12]'', 7, 4, @(k) k);');
%!   records = cellfun(@(name) exist(fullfile(root, name, 'unit4.error.mat'), 'file'), {'run1', 'run2', 'run[12]'});
%!   assert(records, [2 2 0]);
%!   evalc('r = unitrun(''-results'', 7, 1, @(k) rand());');
%!   evalc('g = unitgather(''-results'', 7, 1);');
%!   assert(g, {r});
%!   % Another project's results folder, on the load path, is not ours.
%!   mkdir('other');
%!   evalc('unitrun(fullfile(root, ''other'', ''results''), 7, 1, @(k) -1);');
%!   addpath(fullfile(root, 'other'));
%!   unwind_protect
%!     mkdir('mine');
%!     cd('mine');
%!     evalc('r = unitrun(''results'', 7, 1, @(k) rand());');
%!     evalc('g = unitgather(''results'', 7, 1);');
%!   unwind_protect_cleanup
%!     rmpath(fullfile(root, 'other'));
%!   end_unwind_protect
%!   assert(r ~= -1 && isequal(g, {r}) && exist(fullfile(root, 'mine', 'results', 'unit1.mat'), 'file') == 2);
%!   % Units that change the current folder: each starts where unitrun was called.
%!   evalc('places = unitrun(''moved'', 7, 1:2, @wanderer);');
%!   assert(places, {pwd, pwd});
%!   assert(exist(fullfile(root, 'mine', 'moved', 'unit2.mat'), 'file'), 2);
%! unwind_protect_cleanup
%!   cd(here);
%!   confirm_recursive_rmdir(false, 'local');
%!   rmdir(root, 's');
%! end_unwind_protect

%!error <Wrong number of input arguments> unitrun('x', 1, 1)
%!error <folder must be given as text> unitrun(3, 1, 1, @sin)
%!error <must be a function handle or a function name> unitrun('x', 1, 1, 3)
%!error <unit index must be> unitrun(tempname(), 1, 0, @sin)
%!error <unit index must be> unitrun(tempname(), 1, [], @sin)
%!error <unit index must be a whole number from 1 to 4294967295\.> unitrun(tempname(), 1, [1 2^32], @sin)
