function [ok, report] = montemex_selfcheck()
%MONTEMEX_SELFCHECK  Check that every montemex function draws exactly from this host's stream.
%
%   montemex_selfcheck() calls each of the 17 functions once and compares the result, bit for
%   bit, with what the host's own rand and randn give from the same seed (seed, draw with plain
%   expressions, reseed, call), and checks that the generators end where those draws leave them;
%   the functions that draw nothing are compared with known values. It prints one line per
%   function and whether all passed. scalehyperdraw, whose sampler cannot be written as an
%   expression, must give the same value again from the same seed and use three uniforms per
%   proposal.
%
%   OK = montemex_selfcheck() prints nothing and returns true when every function passed;
%   [OK, REPORT] = montemex_selfcheck() also returns the lines it would print.
%
%   The functions call rand, randn and sort by name, so an m-file of the user's that shadows one
%   of them (a rand.m on the path) is what they draw from. The check compares them with the
%   host's own functions (builtin('rand', ...)), and when rand, randn or sort is not the host's
%   own it says so first, naming the file, before the lines of the functions:
%     montemex_selfcheck: rand here is /home/me/rand.m, not the host's own rand: the functions
%     call it, and the checks below compare them with the host's own.
%
%   rand and randn are reseeded for the checks (builtin rand('state'), randn('state') in Octave,
%   rng in MATLAB) and put back as they were afterwards. montemex_build runs this check at the
%   end of every build.
%
%   Example:
%     montemex_selfcheck   % 17 lines, then "montemex_selfcheck: all 17 functions passed ..."
%
%   See also montemex_build.

names = {'shapedraw', 'recipshapedraw', 'shapedrawone', 'recipshapedrawone', 'studentdraw', ...
         'waitdraw', 'simplexdraw', 'classdraw', 'scalehyperdraw', 'plainpick', ...
         'remainderpick', 'layeredpick', 'fixedpick', 'weightavgdraw', 'weightquantdraw', ...
         'psivalue', 'squashfn'};
saved = generatorState();
restore = onCleanup(@() setGeneratorState(saved));
report = '';
shadowed = {};
hostNames = {'rand', 'randn', 'sort'};
for k = 1:numel(hostNames)
    file = shadowingFile(hostNames{k});
    if ~isempty(file)
        shadowed{end + 1} = hostNames{k}; %#ok<AGROW>
        report = [report sprintf(['montemex_selfcheck: %s here is %s, not the host''s own %s: the ' ...
                                  'functions call it, and the checks below compare them with the host''s own.\n'], ...
                                 hostNames{k}, file, hostNames{k})]; %#ok<AGROW>
    end
end
failed = {};
for k = 1:numel(names)
    try
        seedGenerators(1);
        [expected, call] = reference(names{k});
        after = generatorState();
        seedGenerators(1);
        got = call();
        if ~isequal(got, expected)
            note = 'FAILED: the result differs from the host''s stream';
        elseif ~isequal(generatorState(), after)
            note = 'FAILED: the generators end elsewhere than the host''s own draws';
        else
            note = 'ok';
        end
    catch err
        note = ['FAILED: ' err.message];
    end
    if ~strcmp(note, 'ok')
        failed{end + 1} = names{k}; %#ok<AGROW>
    end
    report = [report sprintf('  %-18s %s\n', names{k}, note)]; %#ok<AGROW>
end
ok = isempty(failed);
if isempty(shadowed)
    through = '';
else
    through = shadowed{end};
    if numel(shadowed) > 1
        through = [strjoin(shadowed(1:end - 1), ', ') ' and ' through];
    end
    through = sprintf(' (through the %s named above)', through);
end
if ok
    report = [report sprintf('montemex_selfcheck: all %d functions passed: they draw exactly from this host''s stream%s.\n', ...
                             numel(names), through)];
else
    report = [report sprintf('montemex_selfcheck: %d of %d functions FAILED: %s%s.\n', numel(failed), numel(names), ...
                             strjoin(failed, ', '), through)];
end
if nargout == 0
    fprintf('%s', report);
    clear ok;
end
end

function [expected, call] = reference(name)
% What NAME must return from the seeded generators, drawn here with the host's own rand and randn
% in the order the function's help gives, and the call that must return it.
switch name
    case 'shapedraw'   % shape just above 1: one uniform per element, g = -log(u)
        expected = 2 * (-log(hostRand(2, 3))) * 3 / 2.00001;
        call = @() shapedraw(3, 2.00001, 2, 3);
    case 'recipshapedraw'
        expected = 3 * 2.00001 / 2 ./ (-log(hostRand(2, 3)));
        call = @() recipshapedraw(3, 2.00001, 2, 3);
    case 'shapedrawone'
        expected = 2 * (-log(hostRand())) * 3 / 2.00001;
        call = @() shapedrawone(3, 2.00001);
    case 'recipshapedrawone'
        expected = 3 * 2.00001 / 2 / (-log(hostRand()));
        call = @() recipshapedrawone(3, 2.00001);
    case 'studentdraw'   % Z from randn(1, 2); then one randn (nu = 1) and one rand (nu = 2)
        z = hostRandn(1, 2);
        y = hostRandn();
        u = hostRand();
        expected = [z(1) / y, (sqrt(2) * (u - 0.5)) / sqrt(u - u * u)];
        call = @() studentdraw([1 2]);
    case 'waitdraw'
        expected = (-2) .* log(hostRand(3, 4));
        call = @() waitdraw(2, 3, 4);
    case 'simplexdraw'
        e = -log(hostRand(3, 4));
        expected = e ./ repmat((e(1, :) + e(2, :)) + e(3, :), 3, 1);
        call = @() simplexdraw(3, 4);
    case 'classdraw'   % P = [1 1 2]: the table [0.25 0.5 1]
        u = hostRand(2, 3);
        expected = 1 + (u > 0.25) + (u > 0.5);
        call = @() classdraw([1 1 2], 2, 3);
    case 'scalehyperdraw'   % the same value again, and three uniforms per proposal
        expected = scalehyperdraw(2, 5, 4, 3, 20);
        ended = generatorState();
        seedGenerators(1);
        for k = 1:1000
            hostRand(3, 1);
            if isequal(generatorState(), ended)
                break;
            end
        end
        call = @() scalehyperdraw(2, 5, 4, 3, 20);
    case 'plainpick'
        u = hostRand(1, 3);
        expected = 1 + (u > 0.25) + (u > 0.5);
        call = @() plainpick([1 1 2]);
    case 'remainderpick'   % one copy of particle 3 outright, two drawn from the table [0.375 0.75 1]
        u = hostRand(2, 1)';
        expected = [3, 1 + (u > 0.375) + (u > 0.75)];
        call = @() remainderpick([1 1 2]);
    case 'layeredpick'   % running sums [0.5 2]: slot 0 takes particle 1 when its uniform is <= 0.5
        u = hostRand(1, 2);
        expected = [1 + (u(1) > 0.5), 2];
        call = @() layeredpick([1 3]);
    case 'fixedpick'
        expected = [1 2 3];
        call = @() fixedpick([1 2 1]);
    case 'weightavgdraw'   % row i weighs e(i) / total, sums taken top to bottom
        x = [1 10; -2 20; 7 -30];
        e = -log(hostRand(3, 4));
        g = (e ./ repmat((e(1, :) + e(2, :)) + e(3, :), 3, 1))';
        expected = (g(:, 1) * x(1, :) + g(:, 2) * x(2, :)) + g(:, 3) * x(3, :);
        call = @() weightavgdraw(x, 4);
    case 'weightquantdraw'   % X = [1; 3]: percentile p is 1 up to g = e(1) / total, then interpolated
        e = -log(hostRand(2, 4));
        g = (e(1, :) ./ (e(1, :) + e(2, :)))';
        p = [0.25 0.5];
        expected = ones(4, 2);
        for c = 1:2
            above = p(c) > g;
            expected(above, c) = 1 + (2 * (p(c) - g(above))) ./ (1 - g(above));
        end
        call = @() weightquantdraw([1; 3], [50 25], 4);
    case 'psivalue'   % -gamma and 1 - gamma, within the truncation of the expansion
        expected = true;
        call = @() all(abs(psivalue([1 2]) - [-0.57721566490153286, 0.42278433509846714]) < 3e-14);
    case 'squashfn'
        expected = 1 - 2 ./ (exp(2 * [0.5 -3]) + 1);
        call = @() squashfn([0.5 -3]);
end
end

function file = shadowingFile(name)
% The file that NAME resolves to when it is not the host's own built-in function, else ''.
if exist(name) == 5 %#ok<EXIST>
    file = '';
    return;
end
file = which(name);
if isempty(file)
    file = 'a function of that name defined in this session';
end
end

% The host's own generators, whatever m-files shadow rand and randn (rng in MATLAB is not
% affected by them).
function u = hostRand(varargin)
u = builtin('rand', varargin{:});
end

function z = hostRandn(varargin)
z = builtin('randn', varargin{:});
end

function seedGenerators(seed)
if isOctave()
    builtin('rand', 'state', seed);
    builtin('randn', 'state', seed);
else
    rng(seed);
end
end

function state = generatorState()
if isOctave()
    state = {builtin('rand', 'state'), builtin('randn', 'state')};
else
    state = rng();
end
end

function setGeneratorState(state)
if isOctave()
    builtin('rand', 'state', state{1});
    builtin('randn', 'state', state{2});
else
    rng(state);
end
end

function yes = isOctave()
yes = exist('OCTAVE_VERSION', 'builtin') ~= 0;
end

%!test
%! % Every function passes, and the generators are put back as they were.
%! rand ("state", 5); randn ("state", 6); before = {rand("state"), randn("state")};
%! [ok, report] = montemex_selfcheck ();
%! assert (ok, report);
%! assert ({rand("state"), randn("state")}, before);
%!test
%! % A rand.m of the user's is named first. One that hands on to the host's own rand passes; one
%! % that returns 0.5 whatever is asked fails every function that draws uniforms, each with a
%! % message of its own, while the self-check's own seeding and reference draws go on working.
%! folders = {tempname(), tempname()};
%! bodies = {"r = builtin ('rand', varargin{:});", "r = 0.5;"};
%! warning ("off", "Octave:shadowed-function", "local");
%! unwind_protect
%!   for k = 1:2
%!     mkdir (folders{k});
%!     fid = fopen (fullfile (folders{k}, "rand.m"), "w");
%!     fprintf (fid, "function r = rand (varargin)\n  %s\nend\n", bodies{k});
%!     fclose (fid);
%!     addpath (folders{k});
%!     [ok, report] = montemex_selfcheck ();
%!     rmpath (folders{k});
%!     lines = strsplit (report, "\n");
%!     assert (lines{1}, ["montemex_selfcheck: rand here is " fullfile(folders{k}, "rand.m") ...
%!                        ", not the host's own rand: the functions call it, and the checks below" ...
%!                        " compare them with the host's own."]);
%!     assert (ok == (k == 1), report);
%!     assert (numel (regexp (report, '(?m)^  \w+ +ok$')), 17 - 14 * (k == 2), report);
%!     assert (! isempty (regexp (lines{end - 1}, '\(through the rand named above\)\.$')), report);
%!   end
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   for k = 1:2
%!     if (isfolder (folders{k}))
%!       rmpath (folders{k});
%!       rmdir (folders{k}, "s");
%!     end
%!   end
%! end_unwind_protect
