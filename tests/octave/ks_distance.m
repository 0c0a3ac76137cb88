function d = ks_distance (x, F)
  % KS_DISTANCE  Kolmogorov-Smirnov distance of the sample x from the distribution function F.
  x = sort (x(:));
  n = numel (x);
  f = F (x);
  d = max (max (f - (0:n-1)' / n), max ((1:n)' / n - f));
end
