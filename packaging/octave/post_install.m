function post_install (desc)
  % Put each help file next to its compiled module, where "help <name>" finds it: pkg installs
  % the modules in an architecture-specific folder apart from inst/.
  modules = dir (fullfile (desc.archprefix, "*", "*.mex"));
  for k = 1:numel (modules)
    [~, name] = fileparts (modules(k).name);
    help_file = fullfile (desc.dir, [name ".m"]);
    if (exist (help_file, "file"))
      copyfile (help_file, modules(k).folder);
    end
  end
end
