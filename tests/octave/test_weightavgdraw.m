% weightavgdraw inside Octave, compared bit for bit with sums computed here from Octave's stream.
1;

function M = reference_means (X, B, varargin)
  % Draws rand() one number at a time and sums in ascending row order.
  [n, m] = size (X);
  M = zeros (B, m);
  for s = 1:B
    [e, total] = bootstrap_weights (n, varargin{:});
    for i = 1:n
      M(s, :) = M(s, :) + X(i, :) * (e(i) / total);
    end
  end
end

X = [1.5 10 -0; -2 20 -0; 7 -30 -0; 0.25 40 -0; 3 1e-3 -0; 8 0 -0];
W = [1; 0; 2.5; -1; 3; 0.5];
for seed = 1:3
  rand ("state", seed); expected = reference_means (X, 7, W); after = rand ();
  rand ("state", seed); assert (isequal (weightavgdraw (X, 7, W), expected)); assert (rand () == after);
  rand ("state", seed); assert (isequal (weightavgdraw_unbuffered (X, 7, W), expected)); assert (rand () == after);
  rand ("state", seed); expected = reference_means (X, 7);
  rand ("state", seed); assert (isequal (weightavgdraw (X, 7), expected));
end
% Means start from +0: the column of -0 gives +0.
assert (all (1 ./ weightavgdraw (X, 3)(:, 3) == Inf));

% Enough draws for several blocks of uniforms and rows for several slabs, against vectorised
% but elementwise sums.
n = 5000; B = 300; rand ("state", 9); Y = rand (n, 2) - 0.5;
rand ("state", 10); E = -log (rand (n, B)); after = rand ();
total = zeros (1, B);
for i = 1:n
  total = total + E(i, :);
end
G = E ./ total;
expected = zeros (B, 2);
for i = 1:n
  expected = expected + G(i, :)' .* Y(i, :);
end
rand ("state", 10); assert (isequal (weightavgdraw (Y, B), expected)); assert (rand () == after);
rand ("state", 10); assert (isequal (weightavgdraw_unbuffered (Y, B), expected));

% An X whose third dimension is 0 has no values: zeros, still n numbers per draw (other unusual
% sizes, other classes and the messages are checked by the built-in tests of
% inst/weightavgdraw.m).
rand ("state", 11); rand (5, 3); after = rand ();
rand ("state", 11); assert (isequal (weightavgdraw (zeros (5, 2, 0), 3), zeros (3, 2))); assert (rand () == after);

% Hostile argument lists: Octave survives every call.
pool = hostile_arguments ();
n = numel (pool);
calls = hostile_sweep ("weightavgdraw", 0:2, 0:4, 1:n, 1:n, @(a, b) {pool{a}, pool{b}, pool{mod(a + b, n) + 1}, 1});
printf ("weightavgdraw: %d hostile calls survived\n", calls);
