function q = reference_cumulative (w)
  % REFERENCE_CUMULATIVE  The normalised cumulative table of weights w (taken in column-major
  % order), written out one addition and one division at a time: q(1) = w(1),
  % q(i) = q(i-1) + w(i), q(i) = q(i) / q(n) for i < n, q(n) = 1.
  n = numel (w);
  q = zeros (n, 1);
  q(1) = w(1);
  for i = 2:n
    q(i) = q(i-1) + w(i);
  end
  for i = 1:n-1
    q(i) = q(i) / q(n);
  end
  q(n) = 1;
end
