function [kind, bytes] = filekind(file)
%FILEKIND  'none', 'file' (a regular file of BYTES bytes) or 'other', for the file of exactly this name.
bytes = 0;
if exist('OCTAVE_VERSION', 'builtin')
    [info, err] = stat(file);
    if err ~= 0
        kind = 'none';
    elseif S_ISREG(info.mode)
        kind = 'file';
        bytes = info.size;
    else
        kind = 'other';
    end
elseif exist(file, 'dir') == 7
    kind = 'other';
elseif exist(file, 'file') == 2
    kind = 'file';
    listed = dir(file);
    bytes = listed(1).bytes;
else
    kind = 'none';
end
end
