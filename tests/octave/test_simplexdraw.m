% simplexdraw inside Octave, compared bit for bit with Octave's own stream.
1;

function R = reference_draws (K, M)
  % Draws rand() one number at a time, column by column, and sums in ascending order.
  R = zeros (K, M);
  for j = 1:M
    total = 0;
    for i = 1:K
      R(i, j) = -log (rand ());
      total = total + R(i, j);
    end
    R(:, j) = R(:, j) / total;
  end
end

for seed = 1:3
  rand ("state", seed); expected = reference_draws (4, 5); after = rand ();
  rand ("state", seed); assert (isequal (simplexdraw (4, 5), expected)); assert (rand () == after);
  % Sizes are truncated; one argument gives one column.
  rand ("state", seed); assert (isequal (simplexdraw (4.9, 5.2), expected));
  rand ("state", seed); assert (isequal (simplexdraw (4), expected(:, 1)));
  rand ("state", seed); assert (isequal (simplexdraw (int8 (4), single (5)), expected));
end

% K = 1 gives ones and still uses M numbers; empty and negative sizes use none and end at once.
rand ("state", 4); rand (1, 3); after = rand ();
rand ("state", 4); assert (isequal (simplexdraw (1, 3), [1 1 1])); assert (rand () == after);
rand ("state", 5); before = rand ("state");
assert (isequal (size (simplexdraw (3, 0)), [3 0]));
assert (isequal (size (simplexdraw (0, 3)), [0 3]));
assert (isequal (size (simplexdraw (-2, -3)), [0 0]));
assert (isequal (size (simplexdraw (-2, 3)), [0 3]));
assert (isequal (rand ("state"), before));

% Messages, in their order.
id = @(reason) ["montemex:simplexdraw:" reason];
expect_error (@() call_with_outputs ("simplexdraw", 2, {}), id ("tooManyOutputs"), "Too many output arguments.");
expect_error (@() simplexdraw (), id ("wrongInputCount"), "Wrong number of input arguments.");
expect_error (@() simplexdraw (1, 2, 3), id ("wrongInputCount"), "Wrong number of input arguments.");
expect_error (@() simplexdraw ([1 2], [1 2]), id ("firstNotScalar"), "First argument must be a scalar.");
expect_error (@() simplexdraw (2, [1 2]), id ("secondNotScalar"), "Second argument must be a scalar.");
expect_error (@() simplexdraw ([], 2), id ("badSize"), "Size arguments must be finite real numbers.");
expect_error (@() simplexdraw (2, NaN), id ("badSize"), "Size arguments must be finite real numbers.");
expect_error (@() simplexdraw ("a"), id ("badSize"), "Size arguments must be finite real numbers.");

% Hostile argument lists: Octave survives every call.
pool = hostile_arguments ();
calls = 0;
for nout = 0:2
  for a = 1:numel (pool)
    for b = 1:numel (pool)
      for nargs = 0:3
        args = {pool{a}, pool{b}, 1};
        try
          call_with_outputs ("simplexdraw", nout, args(1:nargs));
        catch
        end
        calls++;
      end
    end
  end
end
printf ("simplexdraw: %d hostile calls survived\n", calls);
