% weightavgdraw inside Octave, compared bit for bit with sums computed here from Octave's stream.
1;

function M = reference_means (X, B, W)
  % Draws rand() one number at a time and sums in ascending row order.
  [n, m] = size (X);
  M = zeros (B, m);
  for s = 1:B
    e = zeros (n, 1);
    total = 0;
    for i = 1:n
      e(i) = -log (rand ());
      if (nargin > 2)
        e(i) = e(i) * W(i);
      end
      total = total + e(i);
    end
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
  % A W of ones is no W at all; the default is one draw; B is truncated.
  rand ("state", seed); assert (isequal (weightavgdraw (X, 7.9, ones (6, 1)), expected));
  rand ("state", seed); assert (isequal (weightavgdraw (X), expected(1, :)));
end
% Means start from +0: the column of -0 gives +0.
assert (all (1 ./ weightavgdraw (X, 3)(:, 3) == Inf));

% Enough draws for several chunks of uniforms and rows for several slabs, against vectorised
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

% Unusual sizes: no draws for B below 1 (negative counts as 0) or for X without rows; an X
% without columns still uses n numbers per draw; one row comes back exactly.
rand ("state", 11); before = rand ("state");
assert (isequal (size (weightavgdraw (X, 0.4)), [0 3]));
assert (isequal (size (weightavgdraw (X, -2.5)), [0 3]));
assert (isequal (weightavgdraw (zeros (0, 2), 4), zeros (4, 2)));
assert (isequal (rand ("state"), before));
rand ("state", 11); rand (5, 3); after = rand ();
rand ("state", 11); assert (isequal (size (weightavgdraw (zeros (5, 0), 3)), [3 0])); assert (rand () == after);
assert (isequal (weightavgdraw ([3 -1 2], 4), repmat ([3 -1 2], 4, 1)));
% An X whose third dimension is 0 has no values: zeros, still n numbers per draw.
rand ("state", 11); assert (isequal (weightavgdraw (zeros (5, 2, 0), 3), zeros (3, 2))); assert (rand () == after);

% Other classes are read as doubles.
rand ("state", 12); expected = reference_means ([-4; 9; 2], 5, [0; 1; 1]);
rand ("state", 12); assert (isequal (weightavgdraw (int16 ([-4; 9; 2]), uint8 (5), logical ([0; 1; 1])), expected));
rand ("state", 12); assert (isequal (weightavgdraw (single ([-4; 9; 2]), 5, [0; 1; 1]), expected));

% Messages, in their order.
id = @(reason) ["montemex:weightavgdraw:" reason];
expect_error (@() call_with_outputs ("weightavgdraw", 2, {}), id ("tooManyOutputs"), "Too many output arguments.");
expect_error (@() weightavgdraw (), id ("wrongInputCount"), "Wrong number of input arguments.");
expect_error (@() weightavgdraw (X, 1, W, 1), id ("wrongInputCount"), "Wrong number of input arguments.");
expect_error (@() weightavgdraw (X, [1 2], W'), id ("bNotScalar"), "B must be a scalar.");
expect_error (@() weightavgdraw (X, []), id ("badSize"), "Size arguments must be finite real numbers.");
expect_error (@() weightavgdraw (X, NaN), id ("badSize"), "Size arguments must be finite real numbers.");
expect_error (@() weightavgdraw (X, 2, W'), id ("wNotColumn"), "W must be a column vector.");
expect_error (@() weightavgdraw (X, 2, [1; 2]), id ("wLengthMismatch"), "W must have same length as X.");
expect_error (@() weightavgdraw ("abc", 2, 1i), id ("notRealNumeric"), "Arguments must be full real numeric or logical arrays.");
expect_error (@() weightavgdraw (sparse (X)), id ("notRealNumeric"), "Arguments must be full real numeric or logical arrays.");
expect_error (@() weightavgdraw (X, 1e300), id ("sizeTooLarge"), "Size arguments are too large.");

% Hostile argument lists: Octave survives every call.
pool = hostile_arguments ();
calls = 0;
for nout = 0:2
  for a = 1:numel (pool)
    for b = 1:numel (pool)
      for nargs = 0:4
        args = {pool{a}, pool{b}, pool{mod (a + b, numel (pool)) + 1}, 1};
        try
          call_with_outputs ("weightavgdraw", nout, args(1:nargs));
        catch
        end
        calls++;
      end
    end
  end
end
printf ("weightavgdraw: %d hostile calls survived\n", calls);
