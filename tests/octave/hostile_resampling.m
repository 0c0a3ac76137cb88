function calls = hostile_resampling (name)
  % HOSTILE_RESAMPLING  Calls the one-argument module `name` with every hostile argument and
  % hostile weight vector, 0 to 3 outputs and 0 to 2 arguments; Octave must survive each call,
  % and every result must hold whole numbers from 0 to its number of elements.
  pool = [hostile_arguments(), {[1 1 -1], [1, -(1 - 2^-52), 2^-60], [1e308 1e308 -1e308], ...
          [-1 -2 -3], [NaN 1 2], [Inf 1], [-Inf 1 2], [0 -0], [5 -5 1], zeros(2, 3, 0), ...
          single([1 2 -3]), -rand(4, 5)}];
  n = numel (pool);
  calls = hostile_sweep (name, 0:3, 0:2, 1:n, 1, @(a, ~) {pool{a}, pool{mod(a * 7, n) + 1}});
  for a = 1:n
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
