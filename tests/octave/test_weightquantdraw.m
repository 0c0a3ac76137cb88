% weightquantdraw inside Octave, compared bit for bit with percentiles computed here from
% Octave's stream.
1;

function Q = reference_percentiles (X, P, B, varargin)
  % Draws rand() one number at a time; scans the cumulative weights with the sorted percentiles.
  n = size (X, 1);
  p = sort (P(:)) / 100;
  K = numel (p);
  Q = zeros (B, K);
  for s = 1:B
    [e, total] = bootstrap_weights (n, varargin{:});
    c = 1;
    G = e(1) / total;
    while (c <= K && p(c) <= G)
      Q(s, c) = X(1);
      c++;
    end
    for i = 2:n
      g0 = G;
      if (i == n)
        G = 1;
      else
        G = g0 + e(i) / total;
      end
      while (c <= K && p(c) <= G)
        Q(s, c) = X(i - 1) + ((X(i) - X(i - 1)) * (p(c) - g0)) / (G - g0);
        c++;
      end
    end
  end
end

x = [-1; 0; 0.5; 2; 2; 3.5; 10];
W = [0.5; 1; 0; 2; 1; 3; 1];
P = [90 10 50 0 100 150 -5 NaN 33.3];
for seed = 1:3
  rand ("state", seed); expected = reference_percentiles (x, P, 6, W); after = rand ();
  rand ("state", seed); assert (isequal (weightquantdraw (x, P, 6, W), expected)); assert (rand () == after);
  rand ("state", seed); assert (isequal (weightquantdraw_unbuffered (x, P, 6, W), expected)); assert (rand () == after);
  rand ("state", seed); expected = reference_percentiles (x, P, 6);
  rand ("state", seed); Q = weightquantdraw (x, P, 6);
  assert (isequal (Q, expected));
  % Sorted columns: -5 and 0 give X(1), 100 gives X(n) up to rounding, 150 and NaN give 0.
  assert (all (Q(:, 1) == x(1)) && all (Q(:, 2) == x(1)));
  assert (abs (Q(:, 7) - x(end)) < 1e-12);
  assert (all (Q(:, 8) == 0) && all (Q(:, 9) == 0));
  assert (all (diff (Q, 1, 2)(:, 1:6) >= 0));
end

% Only the first column of X counts; many draws take several blocks of uniforms. Here the
% reference is vectorised per draw: cumsum adds in ascending order.
n = 1500; y = [(0:n - 1)' * 0.01, repmat(99, n, 1)]; p = [2.5 50 97.5] / 100;
rand ("state", 7); expected = zeros (800, 3);
for s = 1:800
  e = -log (rand (n, 1));
  total = cumsum (e)(end);
  G = cumsum (e / total);
  G(n) = 1;
  for c = 1:3
    i = find (p(c) <= G, 1);
    expected(s, c) = y(i - 1, 1) + ((y(i, 1) - y(i - 1, 1)) * (p(c) - G(i - 1))) / (G(i) - G(i - 1));
  end
end
after = rand ();
rand ("state", 7); assert (isequal (weightquantdraw (y, [97.5 2.5 50], 800), expected)); assert (rand () == after);

% Rows without values still use n numbers per draw (other unusual sizes, other classes and the
% messages are checked by the built-in tests of inst/weightquantdraw.m).
rand ("state", 8); rand (21, 1); after = rand ();
rand ("state", 8); assert (isequal (weightquantdraw (zeros (7, 0), 50, 3), zeros (3, 1))); assert (rand () == after);

% Hostile argument lists: Octave survives every call. A huge B with no percentiles is
% legitimate, only long, work (n numbers per draw): such lists take B = 1 instead.
function args = quantile_arguments (pool, a, b)
  n = numel (pool);
  args = {pool{a}, pool{b}, pool{mod(a + b, n) + 1}, pool{mod(a * b, n) + 1}, 1};
  if (isempty (args{2}) && isnumeric (args{3}) && ! isempty (args{3}) && args{3}(1) > 1e6)
    args{3} = 1;
  end
end

pool = hostile_arguments ();
n = numel (pool);
calls = hostile_sweep ("weightquantdraw", 0:2, 0:5, 1:n, 1:n, @(a, b) quantile_arguments (pool, a, b));
printf ("weightquantdraw: %d hostile calls survived\n", calls);
