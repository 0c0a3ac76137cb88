function calls = hostile_sweep (names, nouts, counts, firsts, seconds, make)
  % HOSTILE_SWEEP  Calls each function in `names` (a name, or a cell of names) with every
  % argument list make (a, b), for a in `firsts` and b in `seconds`, cut to each number of
  % arguments in `counts` and asked for each number of outputs in `nouts`. Errors are expected;
  % Octave must survive every call. Returns the number of calls made.
  if (ischar (names))
    names = {names};
  end
  calls = 0;
  for name = names
    for nout = nouts
      for a = firsts
        for b = seconds
          args = make (a, b);
          for nargs = counts
            try
              call_with_outputs (name{1}, nout, args(1:nargs));
            catch
            end
            calls++;
          end
        end
      end
    end
  end
end
