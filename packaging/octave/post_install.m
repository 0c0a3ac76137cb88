function post_install (desc)
  % "help <name>" reads the help file beside a module, and pkg installs the modules in an
  % architecture-specific folder apart from inst/. Move each help file there, so that it is
  % installed once: a copy left in inst/ would make lookfor list every function twice.
  modules = dir (fullfile (desc.archprefix, "*", "*.mex"));
  for k = 1:numel (modules)
    [~, name] = fileparts (modules(k).name);
    help_file = fullfile (desc.dir, [name ".m"]);
    if (exist (help_file, "file"))
      movefile (help_file, modules(k).folder);
    end
  end
end
