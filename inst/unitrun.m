function result = unitrun(folder, master, k, fn, varargin)
%UNITRUN  Run one unit of work seeded from (master seed, unit index), once, into its own file.
%
%   unitrun(FOLDER, MASTER, K, FN) runs unit K of a run whose units are independent pieces of
%   work (MCMC chains, blocks of bootstrap draws, particle filter runs), numbered 1 to N:
%     1. If FOLDER/unit<K>.mat exists, the unit is done: nothing is run, and the generators
%        are seeded as in step 2 but not used.
%     2. unitseed(MASTER, K) seeds the generators from the master seed and K alone.
%     3. R = FN(K) runs the unit.
%     4. R is saved as the variable "result" (with "unit", a struct: index, master, host,
%        node, seconds, finished) to a hidden file in FOLDER, which is then renamed to
%        FOLDER/unit<K>.mat. A rename within a folder is atomic: unit<K>.mat is either
%        absent or complete, never half written, even when the process is killed, and two
%        copies of the same unit writing at once leave one complete file. A record of an
%        earlier failure of the unit (unit<K>.error.mat) is then deleted.
%   FOLDER is created when missing. Each call prints one line: the unit done and where, or
%   that it was done before.
%
%   An error in FN, or in saving its result, is recorded in FOLDER/unit<K>.error.mat (the
%   variable "failure": index, master, node, identifier, message, stack, finished), written
%   the same atomic way, and is then raised again as it was, so that the process ends with
%   an error (Slurm then marks the task FAILED). unitgather reports such units by index.
%
%   Because every unit seeds itself, a unit's result is the same bit for bit whichever
%   machine, process or job array task runs it, in whatever order, and run again after a
%   failure, and the same as running the units one after another:
%       for k = 1:N, unitrun(FOLDER, MASTER, k, FN); end
%   A unit killed part-way leaves no result, so running the whole set again (or just the
%   units unitgather names) completes it without touching the results already there.
%
%   R = unitrun(...) also returns the result, read from FOLDER/unit<K>.mat when the unit
%   was done before.
%
%   unitrun(FOLDER, MASTER, K, FN, ARG1, ARG2, ...) calls FN(K, ARG1, ARG2, ...).
%
%   In a Slurm job array, each task runs the unit of its index:
%       octave-cli --eval "unitrun('results', 2026, $SLURM_ARRAY_TASK_ID, @chainunit)"
%   (demo/cluster of the montemex sources is a complete example).
%
%   Arguments:
%     FOLDER  the folder of the run's result files, as text; a folder all machines share
%             when the units run on several.
%     MASTER  the master seed of the run, as in unitseed.
%     K       the unit's index, as in unitseed (a whole number from 1).
%     FN      the unit, a function handle or the name of a function: R = FN(K, ...). It
%             draws only from rand and randn (and the montemex functions). R may be any
%             value save can write to a MAT-file (version 7).
%
%   The host recorded is the program and its version (Octave 7.3.0, say): Octave and MATLAB
%   draw different numbers from the same seeds. The node is the Slurm node name when run by
%   Slurm (SLURMD_NODENAME), else the machine's name. Results are saved with save -v7,
%   readable in Octave and MATLAB alike.
%
%   Errors (identifier, message):
%     montemex:unitrun:wrongInputCount  Wrong number of input arguments.
%     montemex:unitrun:badFolder        The folder must be given as text.
%     montemex:unitrun:badFunction      The unit must be a function handle or a function
%                                       name.
%     montemex:unitrun:cannotMakeFolder Cannot make the folder results: Permission denied.
%                                       (with the folder and the system's reason)
%     montemex:unitrun:cannotSave       Cannot save results/unit3.mat: No space left on
%                                       device. (with the file and the system's reason)
%     montemex:unitseed:badSeed, montemex:unitseed:badIndex  from unitseed, for MASTER and K.
%   Errors raised by FN pass through unchanged, after they are recorded.
%
%   Warning: montemex:unitrun:notRecorded  The failure of unit 3 was not recorded: <reason>.
%   (when the record of a failure cannot be written; the failure is still raised).
%
%   Example:
%     unitrun(tempdir, 7, 1, @(k) waitdraw(1, 1, 3))     % runs the unit, saves unit1.mat
%     r = unitrun(tempdir, 7, 1, @(k) waitdraw(1, 1, 3))  % done before: loads unit1.mat
%
%   See also unitgather, unitseed.

if nargin < 4
    error('montemex:unitrun:wrongInputCount', 'Wrong number of input arguments.');
end
if ~ischar(folder) || isempty(folder) || size(folder, 1) ~= 1
    error('montemex:unitrun:badFolder', 'The folder must be given as text.');
end
if ischar(fn) && ~isempty(fn) && size(fn, 1) == 1
    fn = str2func(fn);
elseif ~isa(fn, 'function_handle')
    error('montemex:unitrun:badFunction', 'The unit must be a function handle or a function name.');
end
unitseed(master, k);
master = double(master);
k = double(k);
resultFile = fullfile(folder, sprintf('unit%d.mat', k));
errorFile = fullfile(folder, sprintf('unit%d.error.mat', k));

if exist(resultFile, 'file')
    fprintf('unit %d: done before, not run again (%s)\n', k, resultFile);
    if nargout > 0
        saved = load(resultFile);
        result = saved.result;
    end
    return;
end
if ~exist(folder, 'dir')
    [made, reason] = mkdir(folder);
    if ~made && ~exist(folder, 'dir')   % another task may have made it meanwhile
        error('montemex:unitrun:cannotMakeFolder', 'Cannot make the folder %s: %s.', folder, sentence(reason));
    end
end

started = tic;
try
    result = fn(k, varargin{:});
    unit = struct('index', k, 'master', master, 'host', hostname(), 'node', nodename(), ...
                  'seconds', toc(started), 'finished', datestr(now, 31));
    saveatomic(resultFile, struct('result', {result}, 'unit', unit));
catch err
    failure = struct('index', k, 'master', master, 'node', nodename(), ...
                     'identifier', err.identifier, 'message', err.message, ...
                     'stack', {err.stack}, 'finished', datestr(now, 31));
    try
        saveatomic(errorFile, struct('failure', failure));
    catch recordErr
        warning('montemex:unitrun:notRecorded', 'The failure of unit %d was not recorded: %s.', ...
                k, sentence(recordErr.message));
    end
    rethrow(err);
end
if exist(errorFile, 'file')
    delete(errorFile);
end
fprintf('unit %d done in %.1f s (%s)\n', k, unit.seconds, resultFile);
end

function saveatomic(file, data)
% Saves the fields of DATA as variables to FILE by way of a hidden file in the same folder,
% renamed to FILE once complete: a rename within one file system replaces FILE atomically.
[folder, name] = fileparts(file);
[~, unique] = fileparts(tempname());
temp = fullfile(folder, ['.' name '.' unique '.mat']);
try
    save(temp, '-struct', 'data', '-v7');
    if exist('OCTAVE_VERSION', 'builtin')
        [status, reason] = rename(temp, file);
        moved = status == 0;
    else
        [moved, reason] = movefile(temp, file, 'f');
    end
    if ~moved
        error('montemex:unitrun:cannotSave', 'Cannot save %s: %s.', file, sentence(reason));
    end
catch err
    if exist(temp, 'file')
        delete(temp);
    end
    if strcmp(err.identifier, 'montemex:unitrun:cannotSave')
        rethrow(err);
    end
    error('montemex:unitrun:cannotSave', 'Cannot save %s: %s.', file, sentence(err.message));
end
end

function text = sentence(reason)
% A system's or host's reason, to end a message of ours: without its own full stop.
text = regexprep(reason, '\.$', '');
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
% The Slurm node running this process, else the host name.
name = getenv('SLURMD_NODENAME');
if isempty(name) && exist('OCTAVE_VERSION', 'builtin')
    name = gethostname();
elseif isempty(name)
    name = getenv('HOSTNAME');
end
end

%!test
%! folder = tempname();
%! unwind_protect
%!   evalc('r = unitrun(folder, 7, 3, @(k, a) [k, a, rand(1, 2)], 10);');
%!   unitseed(7, 3);
%!   assert(r, [3, 10, rand(1, 2)]);
%!   saved = load(fullfile(folder, 'unit3.mat'));
%!   assert(saved.result, r);
%!   assert([saved.unit.index, saved.unit.master], [3, 7]);
%!   % Done before: not run again, the file is left alone, the saved result is returned.
%!   before = dir(fullfile(folder, 'unit3.mat'));
%!   evalc('again = unitrun(folder, 7, 3, @(k) error(''run again''));');
%!   assert(again, r);
%!   assert(dir(fullfile(folder, 'unit3.mat')), before);
%!   % A failure is recorded with the unit's index and raised as it was.
%!   try
%!     unitrun(folder, 7, 4, @(k) error('my:id', 'unit %d broke.', k));
%!     assert(false, 'no error');
%!   catch err
%!     assert({err.identifier, err.message}, {'my:id', 'unit 4 broke.'});
%!   end
%!   saved = load(fullfile(folder, 'unit4.error.mat'));
%!   assert({saved.failure.index, saved.failure.identifier}, {4, 'my:id'});
%!   % Done after all: the record of the failure goes.
%!   evalc('unitrun(folder, 7, 4, @(k) k);');
%!   assert(~exist(fullfile(folder, 'unit4.error.mat'), 'file'));
%!   assert(numel(dir(folder)), 4);   % . .. unit3.mat unit4.mat: no temporary file left
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir(false, 'local');
%!   rmdir(folder, 's');
%! end_unwind_protect
%!error <Wrong number of input arguments> unitrun('x', 1, 1)
%!error <folder must be given as text> unitrun(3, 1, 1, @sin)
%!error <must be a function handle or a function name> unitrun('x', 1, 1, 3)
%!error <unit index must be> unitrun(tempname(), 1, 0, @sin)
