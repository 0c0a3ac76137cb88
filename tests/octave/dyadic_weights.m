function w = dyadic_weights (r, c)
  % DYADIC_WEIGHTS  An r-by-c array of random whole-number weights, many of them 0, whose total
  % is a power of two of at least r*c: every expected count (w / total) * n and every running
  % sum of them is then exact in double precision, so that a resampler's arithmetic can be
  % compared with the plain definition of what it draws.
  n = r * c;
  total = 2^nextpow2 (n);
  cuts = sort (randi ([0, total], 1, n - 1));
  w = reshape (diff ([0, cuts, total]), r, c);
end
