% waitdraw inside Octave, compared bit for bit with Octave's own stream.
1;

% Scalar means, with and without size arguments.
rand ("state", 1); U = rand (3, 4);
rand ("state", 1); R = waitdraw (1, 3, 4);
assert (isequal (R, -log (U)));

rand ("state", 2); U = rand (3, 4);
rand ("state", 2); R = waitdraw (2, 3, 4);
assert (isequal (R, (-2) .* log (U)));

rand ("state", 3); u = rand ();
rand ("state", 3); r = waitdraw (0.25);
assert (isequal (r, (-0.25) * log (u)));

% An array mean, one mean per element, with and without sizes.
mu = [0.5 1; 2 -3];
rand ("state", 4); U = rand (2, 2);
rand ("state", 4); R = waitdraw (mu);
assert (isequal (R, (-mu) .* log (U)));
rand ("state", 4); R = waitdraw (mu, 2, 2);
assert (isequal (R, (-mu) .* log (U)));

% Sizes are truncated: 2.9 by 3.7 gives 2 by 3 from one rand(2, 3) call.
rand ("state", 5); U = rand (2, 3);
rand ("state", 5); R = waitdraw (5, 2.9, 3.7);
assert (isequal (R, (-5) .* log (U)));
% ... and leaves the generator where rand(2, 3) leaves it.
rand ("state", 5); rand (2, 3); after = rand ();
rand ("state", 5); waitdraw (5, 2.9, 3.7);
assert (rand () == after);

% Empty and negative sizes draw nothing.
rand ("state", 6); before = rand ("state");
assert (isequal (size (waitdraw (1, 0, 5)), [0 5]));
assert (isequal (size (waitdraw (1, -3, -3)), [0 0]));
assert (isequal (rand ("state"), before));

% Other classes are read as doubles.
rand ("state", 7); U = rand (1, 2);
rand ("state", 7); R = waitdraw (int8 ([3 4]));
assert (isequal (R, (-[3 4]) .* log (U)));

% Messages, in their order.
expect_error (@() waitdraw (1, 2), "montemex:waitdraw:wrongInputCount", "Wrong number of input arguments.");
expect_error (@() waitdraw (), "montemex:waitdraw:wrongInputCount", "Wrong number of input arguments.");
expect_error (@() call_with_outputs ("waitdraw", 2, {1, 2}), "montemex:waitdraw:tooManyOutputs", "Too many output arguments.");
expect_error (@() waitdraw (ones (3, 4), 3, 5), "montemex:waitdraw:sizeMismatch", "Size information is inconsistent.");
assert (isequal (size (waitdraw (ones (3, 4), 3, 4)), [3 4]));
expect_error (@() waitdraw (1, NaN, 2), "montemex:waitdraw:badSize", "Size arguments must be finite real numbers.");
expect_error (@() waitdraw ("a"), "montemex:waitdraw:notRealNumeric", "Arguments must be full real numeric or logical arrays.");
