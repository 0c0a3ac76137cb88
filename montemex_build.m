function montemex_build(outdir)
%MONTEMEX_BUILD  Compile every montemex module with the host's mex command.
%
%   montemex_build() compiles the modules into the folder "mex" of the current folder (created
%   if needed), copies each function's help file beside its module and the functions written
%   as m-files (unitrun, unitgather, unitseed, unittask) beside them, with the helpers they
%   share in its folder private; then addpath that folder.
%   montemex_build(OUTDIR) writes them to OUTDIR instead. Beside them go Contents.m and
%   montemex.m (the list of functions for "help montemex", with the version for MATLAB's ver)
%   and montemex_selfcheck.m.
%
%   Last, it checks what it built: montemex_selfcheck calls every module once, with the new
%   folder first on the path, against the host's own rand and randn, and montemex_build says
%   whether the build is good. A build that fails the check ends with an error.
%
%   Module <name> is src/<family>/<name>.cpp, one for each such help file inst/<name>.m; every other
%   source under src/ is shared code, compiled once and linked into each module. The code needs
%   C++17, and results are bit-identical to the other builds only when a multiply and an add are
%   never fused into one rounding, so each compiler gets those settings in the form it reads:
%     Microsoft Visual C++ (MATLAB on Windows)  COMPFLAGS: /std:c++17 /fp:precise
%     g++, clang, MinGW (MATLAB elsewhere)      CXXFLAGS:  -std=c++17 -ffp-contract=off
%                                                          -fno-math-errno
%     GNU Octave (mex is mkoctfile there)       CXXFLAGS as for g++, added to mkoctfile's own
%   (-fno-math-errno changes no value; it lets the compiler vectorise loops with square roots.)
%   Before compiling it names the compiler and the flags it passes.
%
%   Modules of an earlier build that are loaded in this session are cleared first (clear with
%   their names), so that a second build in the same session can replace their files (on
%   Windows a loaded module's file cannot be overwritten).
%
%   Errors (identifier, message):
%     montemex:montemex_build:noSource        No single source for <name>.
%     montemex:montemex_build:selfCheckFailed The build in <folder> failed its self-check.
%                                             (montemex_selfcheck's lines above name the
%                                             functions)
%     montemex:montemex_build:noCompiler      No C++ compiler is set up for mex: run mex -setup
%                                             C++ first. (MATLAB)
%   and any error of the mex command.
%
%   Example:
%     montemex_build                  % compiles into ./mex, then checks the build
%     addpath(fullfile(pwd, 'mex'))
%     rng(1)                          % in Octave: rand('state', 1)
%     R = waitdraw(2, 3, 4)           % 3-by-4, mean 2

root = fileparts(mfilename('fullpath'));
if nargin < 1
    outdir = fullfile(pwd, 'mex');
end
objdir = fullfile(outdir, 'obj');
if ~exist(objdir, 'dir')
    mkdir(objdir);
end
src = fullfile(root, 'src');
isOctave = exist('OCTAVE_VERSION', 'builtin') ~= 0;

% A file inst/<name>.m with no source src/*/<name>.cpp is a function written as an m-file.
helpFiles = dir(fullfile(root, 'inst', '*.m'));
names = {};
moduleSources = {};
mFunctions = {};
for k = 1:numel(helpFiles)
    name = helpFiles(k).name(1:end-2);
    found = dir(fullfile(src, '*', [name '.cpp']));
    if isempty(found)
        mFunctions{end + 1} = helpFiles(k).name; %#ok<AGROW>
    elseif numel(found) == 1
        names{end + 1} = name; %#ok<AGROW>
        moduleSources{end + 1} = fullfile(found.folder, found.name); %#ok<AGROW>
    else
        error('montemex:montemex_build:noSource', 'No single source for %s.', name);
    end
end
allSources = dir(fullfile(src, '*', '*.cpp'));
sharedSources = {};
for k = 1:numel(allSources)
    file = fullfile(allSources(k).folder, allSources(k).name);
    if ~any(strcmp(file, moduleSources))
        sharedSources{end + 1} = file; %#ok<AGROW>
    end
end

% C++17, and no contraction of a multiply and an add into one rounding, in the form the
% compiler reads (see the help above).
gccFlags = '-std=c++17 -ffp-contract=off -fno-math-errno';
if isOctave
    compiler = strtrim(mkoctfile('-p', 'CXX'));
    oldFlags = getenv('CXXFLAGS');
    setenv('CXXFLAGS', [strtrim(mkoctfile('-p', 'CXXFLAGS')) ' ' gccFlags]);
    restoreFlags = onCleanup(@() setenv('CXXFLAGS', oldFlags));
    flags = {};
    fprintf('montemex_build: compiling with %s (mkoctfile), CXXFLAGS += %s\n', compiler, gccFlags);
else
    cc = mex.getCompilerConfigurations('C++', 'Selected');
    if isempty(cc)
        error('montemex:montemex_build:noCompiler', ...
              'No C++ compiler is set up for mex: run mex -setup C++ first.');
    end
    if strncmpi(cc(1).ShortName, 'MSVC', 4) || strcmpi(cc(1).Manufacturer, 'Microsoft')
        flags = {'COMPFLAGS=$COMPFLAGS /std:c++17 /fp:precise'};
    else
        flags = {['CXXFLAGS=$CXXFLAGS ' gccFlags]};
    end
    fprintf('montemex_build: compiling with %s %s (%s), %s\n', cc(1).Name, cc(1).Version, ...
            cc(1).ShortName, flags{1});
end

% A module loaded from an earlier build keeps its file open (on Windows it cannot be replaced
% then): clear them all before compiling.
clear(names{:});

objects = cell(1, numel(sharedSources));
for k = 1:numel(sharedSources)
    [familyDir, base] = fileparts(sharedSources{k});
    [~, family] = fileparts(familyDir);
    objects{k} = compileShared(isOctave, flags, src, sharedSources{k}, objdir, [family '_' base]);
end
for k = 1:numel(names)
    fprintf('montemex_build: %s\n', names{k});
    target = fullfile(outdir, names{k});
    if isOctave
        mex(['-I' src], '-o', [target '.mex'], moduleSources{k}, objects{:});
    else
        mex(flags{:}, ['-I' src], '-output', target, moduleSources{k}, objects{:});
    end
    copyfile(fullfile(root, 'inst', [names{k} '.m']), outdir);
end
for k = 1:numel(mFunctions)
    copyfile(fullfile(root, 'inst', mFunctions{k}), outdir);
end
% The m-files' shared helpers: in private/, which only the m-files beside it see.
privateFiles = dir(fullfile(root, 'inst', 'private', '*.m'));
if ~isempty(privateFiles) && ~exist(fullfile(outdir, 'private'), 'dir')
    mkdir(fullfile(outdir, 'private'));
end
for k = 1:numel(privateFiles)
    copyfile(fullfile(root, 'inst', 'private', privateFiles(k).name), fullfile(outdir, 'private'));
end
writeContents(root, outdir);
copyfile(fullfile(root, 'montemex_selfcheck.m'), outdir);
fprintf('montemex_build: %d modules and %d m-files in %s\n', numel(names), numel(mFunctions), outdir);
checkBuild(outdir, names);
end

function writeContents(root, outdir)
% Contents.m and montemex.m from packaging/Contents.m.in, with the version set in
% CMakeLists.txt (the one place it is set) and today's date, as the CMake build writes them.
cmake = fileread(fullfile(root, 'CMakeLists.txt'));
projectVersion = regexp(cmake, 'project\(montemex VERSION ([0-9.]+)', 'tokens', 'once');
text = fileread(fullfile(root, 'packaging', 'Contents.m.in'));
text = strrep(text, '@PROJECT_VERSION@', projectVersion{1});
text = strrep(text, '@MONTEMEX_CONTENTS_DATE@', date);
files = {'Contents.m', 'montemex.m'};
for k = 1:numel(files)
    fid = fopen(fullfile(outdir, files{k}), 'w');
    fwrite(fid, text);
    fclose(fid);
end
end

function checkBuild(outdir, names)
% Runs montemex_selfcheck on the modules just built: outdir first on the path, and no module of
% an earlier build still loaded under the same name.
oldPath = path();
restorePath = onCleanup(@() path(oldPath));
addpath(outdir);
clear(names{:});
[ok, report] = montemex_selfcheck();
fprintf('%s', report);
if ~ok
    error('montemex:montemex_build:selfCheckFailed', 'The build in %s failed its self-check.', outdir);
end
fprintf('montemex_build: the build in %s is good.\n', outdir);
end

function object = compileShared(isOctave, flags, src, source, objdir, name)
% Compiles one shared source to objdir/<name>.o (.obj with MATLAB on Windows).
if isOctave
    object = fullfile(objdir, [name '.o']);
    mex('-c', ['-I' src], source, '-o', object);
else
    tmp = fullfile(objdir, name);
    if ~exist(tmp, 'dir')
        mkdir(tmp);
    end
    mex(flags{:}, '-c', ['-I' src], '-outdir', tmp, source);
    made = dir(fullfile(tmp, '*.o*'));
    object = fullfile(tmp, made(1).name);
end
end
