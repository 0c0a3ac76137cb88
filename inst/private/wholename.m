function folder = wholename(folder)
%WHOLENAME  FOLDER as an absolute name: relative names are taken from the current folder.
%   Never looked up along the load path; a leading ~/ is the home folder (not on Windows);
%   separators at the end are dropped (results/ is results; / stays /, C:\ stays C:\).
if ispc
    absolute = any(folder(1) == '/\') || (numel(folder) >= 3 && folder(2) == ':' && any(folder(3) == '/\'));
else
    absolute = folder(1) == '/';
    if strcmp(folder, '~') || strncmp(folder, '~/', 2)
        folder = [getenv('HOME') folder(2:end)];
        absolute = true;
    end
end
if ~absolute
    folder = [pwd filesep folder];
end
separators = '/';
if ispc
    separators = '/\';
end
while numel(folder) > 1 && any(folder(end) == separators) && ~any(folder(end - 1) == ':')
    folder = folder(1:end - 1);
end
end
