function [e, total] = bootstrap_weights (n, W)
  % BOOTSTRAP_WEIGHTS  One Bayesian-bootstrap draw's unnormalised weights from Octave's stream,
  % one rand () at a time: e(i) = -log (rand ()), times W(i) when prior weights W are given, and
  % their total added in ascending order.
  e = zeros (n, 1);
  total = 0;
  for i = 1:n
    e(i) = -log (rand ());
    if (nargin > 1)
      e(i) = e(i) * W(i);
    end
    total = total + e(i);
  end
end
