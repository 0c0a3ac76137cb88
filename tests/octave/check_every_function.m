function check_every_function (inst_dir)
  % CHECK_EVERY_FUNCTION  Every function with a help file in inst_dir is a compiled module on the
  % path, answers "help" with its own text, and returns a result from one typical call; the
  % functions written as m-files there (their file starts with "function") are on the path and
  % answer "help" with their own text; unitrun's results come back through unitgather (both use
  % the helpers in private/ beside them).
  calls = struct ("shapedraw", {{3, 8, 2, 4}}, "recipshapedraw", {{2, 10, 3, 1}}, ...
                  "shapedrawone", {{3, 8}}, "recipshapedrawone", {{2, 10}}, ...
                  "studentdraw", {{[1 2 5]}}, "waitdraw", {{2, 3, 4}}, "simplexdraw", {{3, 4}}, ...
                  "classdraw", {{[0.2 0.3 0.5], 2, 5}}, "scalehyperdraw", {{1, 1, 1, 1, 1}}, ...
                  "plainpick", {{[0.1 0.2 0.3 0.4]}}, "remainderpick", {{[0.1 0.2 0.3 0.4]}}, ...
                  "layeredpick", {{[0.1 0.2 0.3 0.4]}}, "fixedpick", {{[0.1 0.2 0.3 0.4]}}, ...
                  "weightavgdraw", {{[1 10; 2 20; 3 30], 3}}, ...
                  "weightquantdraw", {{[1; 2; 3; 4; 5], [5 50 95], 3}}, ...
                  "psivalue", {{[0.5 1 2]}}, "squashfn", {{[-20 0 0.5]}});
  files = dir (fullfile (inst_dir, "*.m"));
  assert (numel (files) > 0, "no help files in %s", inst_dir);
  for k = 1:numel (files)
    name = files(k).name(1:end-2);
    m_file = strncmp (strtrim (fileread (fullfile (inst_dir, files(k).name))), "function", 8);
    if (m_file)
      assert (exist (name) == 2, "%s is not an m-file on the path", name);
    else
      assert (exist (name) == 3, "%s is not a compiled module on the path", name);
    end
    text = evalc (sprintf ("help %s", name));
    assert (! isempty (strfind (text, upper (name))), "help %s does not show its own text", name);
    if (m_file)
      if (strcmp (name, "unitgather"))
        check_unit_round_trip ();
      end
      printf ("%-18s ok (m-file)\n", name);
      continue;
    end
    assert (isfield (calls, name), "no typical call known for %s", name);
    args = calls.(name);
    result = feval (name, args{:});
    assert (isreal (result) && isa (result, "double") && ! isempty (result), "%s returned nothing", name);
    printf ("%-18s ok (%s)\n", name, mat2str (size (result)));
  end
  printf ("%d functions checked\n", numel (files));
end

function check_unit_round_trip ()
  folder = tempname ();
  unwind_protect
    evalc ("unitrun (folder, 7, 1:2, @(k) rand ())");
    evalc ("[results, missing] = unitgather (folder, 7, 3)");
    unitseed (7, 2);
    assert (results{2} == rand () && isequal (missing, 3), "unitrun and unitgather do not agree");
  unwind_protect_cleanup
    confirm_recursive_rmdir (false, "local");
    rmdir (folder, "s");
  end_unwind_protect
end
