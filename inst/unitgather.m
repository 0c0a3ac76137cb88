function [results, missing, failed] = unitgather(folder, n, script)
%UNITGATHER  Load the results of units 1 to N in index order, and name every unit not done.
%
%   RESULTS = unitgather(FOLDER, N) loads the result of each unit k = 1, ..., N that unitrun
%   saved to FOLDER/unit<k>.mat, into RESULTS{k} (a 1-by-N cell; empty for a unit not
%   done). It prints how many units are done, one line for each unit that is not, and the
%   command that runs just those units again as a Slurm job array, for example:
%       unitgather: 6 of 8 units done in results
%         unit 3: no result (not run yet, still running, killed, or its node lost)
%         unit 5: failed on node n2: my:id: Matrix is singular.
%       resubmit just these: sbatch --array=3,5 job.sbatch
%   A unit with no result is failed when unitrun recorded an error for it
%   (FOLDER/unit<k>.error.mat); the line shows the error's identifier and message. A result
%   counts whatever records of earlier failures remain. A FOLDER that does not exist holds
%   no results.
%
%   [RESULTS, MISSING, FAILED] = unitgather(...) also returns the indices of the units with
%   no result and no recorded error (MISSING) and of those whose error was recorded
%   (FAILED), as rows in increasing order. The set is complete when both are empty.
%
%   unitgather(FOLDER, N, SCRIPT) names the batch script in the command: SCRIPT instead of
%   job.sbatch.
%
%   Results saved with different master seeds, or some by Octave and some by MATLAB (which
%   draw different numbers from the same seed), do not belong together: unitgather refuses
%   them (mixedRuns), naming the two runs and a unit of each.
%
%   Arguments:
%     FOLDER  the folder given to unitrun, as text.
%     N       the number of units, a whole number from 0.
%     SCRIPT  the file name of the batch script, as text. Default job.sbatch.
%
%   Errors (identifier, message):
%     montemex:unitgather:wrongInputCount  Wrong number of input arguments.
%     montemex:unitgather:badFolder        The folder must be given as text.
%     montemex:unitgather:badCount         The number of units must be a whole number from 0.
%     montemex:unitgather:badScript        The script must be given as text.
%     montemex:unitgather:unreadable       Cannot read results/unit3.mat: <reason>. Delete it
%                                          and run unit 3 again.
%     montemex:unitgather:mixedRuns        The results in results come from different runs:
%                                          master seed 2026 in Octave (unit 1) and master
%                                          seed 7 in Octave (unit 4).
%
%   Example:
%     [chains, missing, failed] = unitgather('results', 8, 'chains.sbatch');
%     if isempty(missing) && isempty(failed), tau = cellfun(@(c) c.tau, chains); end
%
%   See also unitrun, unitseed.

if nargin < 2 || nargin > 3
    error('montemex:unitgather:wrongInputCount', 'Wrong number of input arguments.');
end
if ~ischar(folder) || isempty(folder) || size(folder, 1) ~= 1
    error('montemex:unitgather:badFolder', 'The folder must be given as text.');
end
if ~isnumeric(n) || ~isscalar(n) || ~isreal(n) || ~isfinite(n) || n < 0 || n ~= fix(n)
    error('montemex:unitgather:badCount', 'The number of units must be a whole number from 0.');
end
if nargin < 3
    script = 'job.sbatch';
elseif ~ischar(script) || isempty(script) || size(script, 1) ~= 1
    error('montemex:unitgather:badScript', 'The script must be given as text.');
end
n = double(n);

results = cell(1, n);
done = false(1, n);
missing = zeros(1, 0);
failed = zeros(1, 0);
lines = {};
run = '';
runUnit = 0;
for k = 1:n
    resultFile = fullfile(folder, sprintf('unit%d.mat', k));
    errorFile = fullfile(folder, sprintf('unit%d.error.mat', k));
    if exist(resultFile, 'file')
        try
            saved = load(resultFile);
            results{k} = saved.result;
            thisRun = sprintf('master seed %d in %s', saved.unit.master, strtok(saved.unit.host));
        catch err
            error('montemex:unitgather:unreadable', 'Cannot read %s: %s. Delete it and run unit %d again.', ...
                  resultFile, regexprep(err.message, '\.$', ''), k);
        end
        if isempty(run)
            run = thisRun;
            runUnit = k;
        elseif ~strcmp(thisRun, run)
            error('montemex:unitgather:mixedRuns', 'The results in %s come from different runs: %s (unit %d) and %s (unit %d).', ...
                  folder, run, runUnit, thisRun, k);
        end
        done(k) = true;
    elseif exist(errorFile, 'file')
        failed(end + 1) = k; %#ok<AGROW>
        try
            saved = load(errorFile);
            why = saved.failure.message;
            if ~isempty(saved.failure.identifier)
                why = [saved.failure.identifier ': ' why];
            end
            lines{end + 1} = sprintf('unit %d: failed on node %s: %s', k, saved.failure.node, why); %#ok<AGROW>
        catch err
            lines{end + 1} = sprintf('unit %d: failed (its record %s cannot be read: %s)', ...
                                     k, errorFile, err.message); %#ok<AGROW>
        end
    else
        missing(end + 1) = k; %#ok<AGROW>
        lines{end + 1} = sprintf('unit %d: no result (not run yet, still running, killed, or its node lost)', k); %#ok<AGROW>
    end
end

fprintf('unitgather: %d of %d units done in %s\n', sum(done), n, folder);
if ~all(done)
    fprintf('  %s\n', lines{:});
    fprintf('resubmit just these: sbatch --array=%s %s\n', ranges(find(~done)), script);
end
end

function text = ranges(indices)
% Increasing indices as Slurm writes an array: runs of consecutive ones as first-last.
text = '';
first = 1;
for i = 1:numel(indices)
    if i == numel(indices) || indices(i + 1) ~= indices(i) + 1
        if i == first
            part = sprintf('%d', indices(i));
        else
            part = sprintf('%d-%d', indices(first), indices(i));
        end
        if isempty(text)
            text = part;
        else
            text = [text ',' part]; %#ok<AGROW>
        end
        first = i + 1;
    end
end
end

%!test
%! folder = tempname();
%! unwind_protect
%!   evalc('[results, missing, failed] = unitgather(folder, 2);');
%!   assert({results, missing, failed}, {{[], []}, [1 2], zeros(1, 0)});
%!   for k = [1 2 6 7 8]
%!     evalc('unitrun(folder, 5, k, @(k) k * rand());');
%!   end
%!   evalc('try, unitrun(folder, 5, 4, @(k) error(''my:id'', ''broke.'')); end');
%!   text = evalc('[results, missing, failed] = unitgather(folder, 9, ''chains.sbatch'');');
%!   assert(missing, [3 5 9]);
%!   assert(failed, 4);
%!   unitseed(5, 7);
%!   assert(results{7}, 7 * rand());
%!   assert(isempty(results{3}) && numel(results) == 9);
%!   assert(~isempty(strfind(text, 'unitgather: 5 of 9 units done')));
%!   assert(~isempty(regexp(text, 'unit 4: failed on node \S+: my:id: broke\.')));
%!   assert(~isempty(strfind(text, 'unit 5: no result')));
%!   assert(~isempty(strfind(text, 'resubmit just these: sbatch --array=3-5,9 chains.sbatch')));
%!   text = evalc('unitgather(folder, 2)');
%!   assert(isempty(strfind(text, 'resubmit')));
%!   % A unit saved with another master seed, or by another host, does not belong to the run.
%!   evalc('unitrun(folder, 6, 3, @(k) k);');
%!   try
%!     evalc('unitgather(folder, 3);');
%!     assert(false, 'no error');
%!   catch err
%!     assert(err.message, sprintf(['The results in %s come from different runs: master seed 5 in Octave (unit 1) ' ...
%!                                   'and master seed 6 in Octave (unit 3).'], folder));
%!   end
%!   saved = load(fullfile(folder, 'unit3.mat'));
%!   saved.unit.master = 5;
%!   saved.unit.host = 'MATLAB 9.14.0 (R2023a)';
%!   save('-v7', fullfile(folder, 'unit3.mat'), '-struct', 'saved');
%!   try
%!     evalc('unitgather(folder, 3);');
%!     assert(false, 'no error');
%!   catch err
%!     assert(err.identifier, 'montemex:unitgather:mixedRuns');
%!     assert(strfind(err.message, 'master seed 5 in MATLAB (unit 3)') > 0);
%!   end
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir(false, 'local');
%!   rmdir(folder, 's');
%! end_unwind_protect
%!error <Wrong number of input arguments> unitgather('x')
%!error <folder must be given as text> unitgather({'x'}, 1)
%!error <number of units must be> unitgather('x', -1)
%!error <number of units must be> unitgather('x', 1.5)
%!error <script must be given as text> unitgather('x', 1, 2)
