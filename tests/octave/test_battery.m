% Hostile argument lists against every function: Octave must survive every call, and each call
% must return or raise an error (the slowest call is reported; a call that never ends meets the
% test's time limit in ctest). Every error raised must be documented, with its identifier and
% message, in the function's help.
1;

names = {"shapedraw", "recipshapedraw", "shapedrawone", "recipshapedrawone", "studentdraw", ...
         "waitdraw", "simplexdraw", "classdraw", "scalehyperdraw", "plainpick", "remainderpick", ...
         "layeredpick", "fixedpick", "weightavgdraw", "weightquantdraw", "psivalue", "squashfn"};
pool = hostile_arguments ();
n = numel (pool);
calls = 0;
raised = struct ();
slowest = 0;
slowest_call = "";
for f = 1:numel (names)
  name = names{f};
  if (exist (name) != 3)
    printf ("%s: not built, skipped\n", name);
    continue;
  end
  for nout = 0:3
    for nargs = 0:6
      % A spread of combinations: every pool entry in every position, with rotating partners.
      for first = 1:n
        args = cell (1, nargs);
        for k = 1:nargs
          args{k} = pool{mod (first * k + 3 * k + nout, n) + 1};
        end
        if (nargs > 0)
          args{1} = pool{first};
        end
        t = tic ();
        try
          call_with_outputs (name, nout, args);
        catch err
          if (strncmp (err.identifier, "montemex:", 9))
            raised.(strrep (err.identifier, ":", "_")) = {name, err.identifier, err.message};
          end
        end
        elapsed = toc (t);
        calls++;
        if (elapsed > slowest)
          slowest = elapsed;
          slowest_call = sprintf ("%s with %d arguments, %d outputs, first %d", name, nargs, nout, first);
        end
      end
    end
  end
end
printf ("%d hostile calls survived; slowest %.3f s (%s)\n", calls, slowest, slowest_call);

% The help of each function names every error it raised here.
keys = fieldnames (raised);
for k = 1:numel (keys)
  [name, id, message] = raised.(keys{k}){:};
  % Messages may wrap across help lines: compare with runs of white space made single spaces.
  text = regexprep (evalc (sprintf ("help %s", name)), '\s+', " ");
  % Octave shows a module's message after the module's name. Messages that carry the call's
  % own figures are documented with example figures: compare the text before the first digit.
  message = regexprep (message, ['^' name ': '], "");
  message = regexprep (message, '\s*[0-9].*$', "");
  assert (! isempty (strfind (text, id)), "help %s does not document %s", name, id);
  assert (! isempty (strfind (text, message)), "help %s does not document '%s'", name, message);
end
printf ("%d error identifiers raised, each documented in its function's help\n", numel (keys));
