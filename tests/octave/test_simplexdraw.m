% simplexdraw inside Octave: hostile argument lists (the exact draws, sizes and messages are
% checked by the built-in tests of inst/simplexdraw.m).
1;

% Hostile argument lists: Octave survives every call.
pool = hostile_arguments ();
calls = 0;
for nout = 0:2
  for a = 1:numel (pool)
    for b = 1:numel (pool)
      for nargs = 0:3
        args = {pool{a}, pool{b}, 1};
        try
          call_with_outputs ("simplexdraw", nout, args(1:nargs));
        catch
        end
        calls++;
      end
    end
  end
end
printf ("simplexdraw: %d hostile calls survived\n", calls);
