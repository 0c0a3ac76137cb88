function file = demo_output (name)
  % DEMO_OUTPUT  Where a demo writes its plot NAME: into the folder given after the demo on the
  % command line (octave --no-gui demo/particle_filter.m /tmp/plots), otherwise into build/demo/
  % under the project root, never into the source tree. The folder is created if needed.
  args = argv ();
  [~, ~, ext] = fileparts (program_invocation_name ());
  if (strcmp (ext, ".m") && ! isempty (args))
    % Run as "octave demo/<name>.m FOLDER": argv holds what follows the script.
    folder = args{1};
  else
    folder = fullfile (fileparts (fileparts (mfilename ("fullpath"))), "build", "demo");
  end
  if (! isfolder (folder))
    [ok, message] = mkdir (folder);
    if (! ok)
      error ("cannot create the output folder %s: %s", folder, message);
    end
  end
  file = make_absolute_filename (fullfile (folder, name));
end
