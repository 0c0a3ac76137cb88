function find_modules ()
  % FIND_MODULES  Make the montemex functions callable for the demos: an installed package
  % (pkg load montemex) or the build tree next to the demos (build/octave).
  if (exist ("waitdraw") == 3)
    return;
  end
  built = fullfile (fileparts (mfilename ("fullpath")), "..", "build", "octave");
  if (exist (fullfile (built, "waitdraw.mex"), "file"))
    addpath (built);
    return;
  end
  try
    pkg load montemex;
  catch
    error ("montemex not found: build it (./scripts/demo.sh) or install the package");
  end
end
