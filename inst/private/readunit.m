function [state, saved, why] = readunit(file, record, master, k)
%READUNIT  Whether FILE is a whole record of unit K of master seed MASTER, as unitrun writes it.
%   [STATE, SAVED, WHY] = readunit(FILE, RECORD, MASTER, K) reads FILE as RECORD 'unit' (a
%   result: the variables "result" and "unit") or 'failure' (the variable "failure"). STATE is
%   'done' (SAVED holds the file's variables), 'none' (no file of exactly this name) or 'bad'
%   (WHY says what is wrong, as the end of a sentence). MASTER [] takes any master seed that
%   unitrun accepts (a whole number from 0 to 4294967295): the caller compares the one SAVED
%   records. unitrun and unitgather read files with these same rules.
saved = [];
why = '';
state = 'bad';
[kind, bytes] = filekind(file);
if strcmp(kind, 'none')
    state = 'none';
    return;
elseif ~strcmp(kind, 'file')
    why = 'it is not a regular file';
    return;
elseif bytes == 0
    why = 'it is empty';
    return;
end
try
    saved = load(file, '-mat');
catch err
    why = ['it cannot be read (' sentence(err.message) ')'];
    return;
end
if ~isfield(saved, record) || ~isstruct(saved.(record)) || numel(saved.(record)) ~= 1 || ...
        ~isfield(saved.(record), 'index') || ~isfield(saved.(record), 'master') || ...
        (strcmp(record, 'unit') && ~isfield(saved, 'result'))
    why = 'it is not a file of unitrun''s';
    return;
end
r = saved.(record);
if ~isnumber(r.index, k) || ~isnumber(r.master, master)
    why = sprintf('it records unit %s of master seed %s', describe(r.index), describe(r.master));
    return;
end
state = 'done';
end

function ok = isnumber(x, value)
% X is a real numeric scalar equal to VALUE; for VALUE [], a whole number from 0 to 4294967295.
ok = isnumeric(x) && isscalar(x) && isreal(x);
if ok && isempty(value)
    ok = x >= 0 && x <= 4294967295 && x == fix(x);
elseif ok
    ok = double(x) == value;
end
end
