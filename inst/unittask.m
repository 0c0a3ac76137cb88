function out = unittask(x, n, pertask, what)
%UNITTASK  Which units of work each task of a job array runs: contiguous groups of a fixed size.
%
%   K = unittask(T, N, PERTASK) gives the units that task T runs when units 1 to N are shared
%   among tasks PERTASK at a time: task 1 runs units 1 to PERTASK, task 2 the next PERTASK,
%   and so on; the last task runs those left, fewer when PERTASK does not divide N. That is
%   K = (T-1)*PERTASK+1 : min(T*PERTASK, N), a row; there are ceil(N/PERTASK) tasks. For a
%   vector T, K holds the units of each task in turn.
%
%   T = unittask(K, N, PERTASK, 'tasks') gives the tasks that hold the units K: ceil(K/PERTASK)
%   for each, every task once, as a row in increasing order.
%
%   The two are one mapping: the sbatch script of demo/cluster runs
%   unitrun(FOLDER, MASTER, unittask(T, N, PERTASK), FN) in task T, and unitgather names the
%   tasks to run again with unittask(..., 'tasks'), so the tasks it names hold exactly the
%   units left to do.
%
%   Arguments:
%     T        task indices, whole numbers from 1 to ceil(N/PERTASK), real numeric.
%     N        the number of units, a whole number from 0, real numeric.
%     PERTASK  the number of units a task runs, a whole number from 1, real numeric.
%     K        unit indices, whole numbers from 1 to N, real numeric.
%
%   Errors (identifier, message):
%     montemex:unittask:wrongInputCount  Wrong number of input arguments.
%     montemex:unittask:badCount         The number of units must be a whole number from 0.
%     montemex:unittask:badGroup         The number of units per task must be a whole number
%                                        from 1.
%     montemex:unittask:badTask          Task 201 holds no units: 10000 units, 50 a task, are
%                                        tasks 1 to 200. (with T's own values)
%     montemex:unittask:badUnit          The unit indices must be whole numbers from 1 to 10000.
%                                        (with N)
%     montemex:unittask:badMode          The fourth argument must be 'tasks'.
%
%   Example:
%     units = unittask(3, 10, 4)            % task 3 of 10 units, 4 a task: the 2 left
%     tasks = unittask([2 9 10], 10, 4, 'tasks')
%
%   See also unitrun, unitgather.

if nargin < 3 || nargin > 4
    error('montemex:unittask:wrongInputCount', 'Wrong number of input arguments.');
end
if ~arewhole(n) || ~isscalar(n) || n < 0
    error('montemex:unittask:badCount', 'The number of units must be a whole number from 0.');
end
if ~arewhole(pertask) || ~isscalar(pertask) || pertask < 1
    error('montemex:unittask:badGroup', 'The number of units per task must be a whole number from 1.');
end
n = double(n);
pertask = double(pertask);
if nargin == 4
    if ~ischar(what) || ~strcmp(what, 'tasks')
        error('montemex:unittask:badMode', 'The fourth argument must be ''tasks''.');
    end
    if ~arewhole(x) || any(x(:) < 1) || any(x(:) > n)
        error('montemex:unittask:badUnit', 'The unit indices must be whole numbers from 1 to %d.', n);
    end
    out = unique(ceil(double(x(:)') / pertask));
    out = reshape(out, 1, numel(out));
    return;
end
tasks = ceil(n / pertask);
if ~arewhole(x) || any(x(:) < 1) || any(x(:) > tasks)
    text = 'The task';
    if isnumeric(x) && isreal(x) && ~issparse(x)
        bad = x(~arewholeeach(x) | x < 1 | x > tasks);
        text = sprintf('Task %g', double(bad(1)));
    end
    error('montemex:unittask:badTask', '%s holds no units: %d units, %d a task, are tasks 1 to %d.', ...
          text, n, pertask, tasks);
end
out = zeros(1, 0);
for t = double(x(:)')
    out = [out, (t - 1) * pertask + 1:min(t * pertask, n)]; %#ok<AGROW>
end
end

function ok = arewhole(x)
% Real numeric with whole finite values only.
ok = isnumeric(x) && isreal(x) && ~issparse(x) && all(arewholeeach(x(:)));
end

function ok = arewholeeach(x)
% Element by element: a whole finite number (false for text and the like).
if isnumeric(x) && isreal(x)
    ok = isfinite(x) & x == fix(x);
else
    ok = false(size(x));
end
end

%!assert(unittask(1, 10, 4), 1:4)
%!assert(unittask(3, 10, 4), [9 10])
%!assert(unittask([3 1], 10, 4), [9 10 1:4])
%!assert(unittask(int32(2), uint8(10), 5), 6:10)
%!assert(unittask(1, 1, 50), 1)
%!assert(unittask([2 9 10 1], 10, 4, 'tasks'), [1 3])
%!assert(unittask(zeros(1, 0), 0, 1, 'tasks'), zeros(1, 0))
%!test
%! % The two directions agree for every unit, group sizes that do and do not divide N.
%! for pertask = [1 3 7 100]
%!   tasks = 1:ceil(50 / pertask);
%!   for t = tasks
%!     assert(unittask(unittask(t, 50, pertask), 50, pertask, 'tasks'), t);
%!   end
%!   assert(unittask(tasks, 50, pertask), 1:50);
%! end
%!error <Wrong number of input arguments> unittask(1, 2)
%!error <number of units must be> unittask(1, -1, 1)
%!error <number of units must be> unittask(1, [2 3], 1)
%!error <units per task must be> unittask(1, 10, 0)
%!error <units per task must be> unittask(1, 10, 1.5)
%!error <Task 4 holds no units: 10 units, 4 a task, are tasks 1 to 3\.> unittask(4, 10, 4)
%!error <Task 0.5 holds no units> unittask(0.5, 10, 4)
%!error <The task holds no units> unittask('1', 10, 4)
%!error <unit indices must be whole numbers from 1 to 10\.> unittask(11, 10, 4, 'tasks')
%!error <fourth argument must be 'tasks'> unittask(1, 10, 4, 'units')
