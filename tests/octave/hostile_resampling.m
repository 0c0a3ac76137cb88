function calls = hostile_resampling (name)
  % HOSTILE_RESAMPLING  Calls the one-argument module `name` with every hostile argument and
  % hostile weight vector, 0 to 3 outputs and 0 to 2 arguments; Octave must survive each call,
  % and every result must hold whole numbers from 0 to its number of elements.
  pool = [hostile_arguments(), {[1 1 -1], [1, -(1 - 2^-52), 2^-60], [1e308 1e308 -1e308], ...
          [-1 -2 -3], [NaN 1 2], [Inf 1], [-Inf 1 2], [0 -0], [5 -5 1], zeros(2, 3, 0), ...
          single([1 2 -3]), -rand(4, 5)}];
  calls = 0;
  for a = 1:numel (pool)
    for nout = 0:3
      for nargs = 0:2
        args = {pool{a}, pool{mod (a * 7, numel (pool)) + 1}};
        try
          call_with_outputs (name, nout, args(1:nargs));
        catch
        end
        calls++;
      end
    end
    succeeded = true;
    try
      idx = feval (name, pool{a});
    catch
      succeeded = false;
    end
    if (succeeded)
      assert (all (idx(:) == fix (idx(:)) & idx(:) >= 0 & idx(:) <= numel (idx)));
    end
  end
end
