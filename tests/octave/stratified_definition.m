function idx = stratified_definition (w, u)
  % STRATIFIED_DEFINITION  Stratified resampling by its definition: slot p takes the first
  % particle i whose running sum C(i) of expected counts reaches (p - 1) + u(p). For weights whose
  % counts are exact (dyadic_weights) the comparison C(i) - (p - 1) >= u(p) is exact too, and this
  % is what the running form gives; with every u(p) = 0.5 it is deterministic resampling.
  n = numel (w);
  C = cumsum ((w(:) / sum (w(:))) * n);
  idx = zeros (size (w));
  for p = 1:n
    idx(p) = find (C - (p - 1) >= u(p), 1);
  end
end
