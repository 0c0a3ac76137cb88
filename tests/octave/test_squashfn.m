% squashfn inside Octave: the middle band bit for bit against 1 - 2./(exp(2*x)+1).
1;

% Between 1.5e-8 and 18 in magnitude, both signs, both thresholds' neighbours included.
x = 1.5e-8 * (18 / 1.5e-8) .^ ((1:5000) / 5000);
x = [x, -x, (1.5e-8 + eps (1.5e-8)), -(1.5e-8 + eps (1.5e-8)), 0.5, 18, -18, -1, -3, -17];
assert (isequal (squashfn (x), 1 - 2 ./ (exp (2 * x) + 1)));
assert (max (abs (squashfn (x) - tanh (x))) < 5e-16);

% Special values: the identity band keeps the sign of zero, beyond 18 exactly +-1.
assert (isequal (squashfn ([0 1e-9 -1e-9 1.5e-8 -1.5e-8]), [0 1e-9 -1e-9 1.5e-8 -1.5e-8]));
assert (signbit (squashfn (-0)));
assert (isequal (squashfn (18), 0.9999999999999996));
assert (isequal (squashfn ([(18 + eps (18)), 20, -20, 1e300, Inf, -Inf]), [1 1 -1 1 1 -1]));
assert (isnan (squashfn (NaN)));

% Shapes, classes, extra arguments and outputs.
c = reshape (1:24, [2 3 4]) - 12;
assert (isequal (squashfn (c), squashfn (c(:, :, 1))));
assert (isequal (size (squashfn (zeros (0, 3))), [0 3]));
assert (isequal (squashfn (int8 ([-1 30])), squashfn ([-1 30])));
assert (isequal (squashfn ([0.5 2], {1}, "ignored"), squashfn ([0.5 2])));
squashfn (0.5);
assert (ans == squashfn (0.5));
expect_error (@() squashfn (), "montemex:squashfn:wrongInputCount", "Wrong number of input arguments.");
c = cell (1, 2);
try
  [c{:}] = squashfn (1);   % Octave would leave c{2} undefined
  error ("two outputs were accepted");
catch err
  assert (err.identifier, "montemex:squashfn:tooManyOutputs");
end
expect_error (@() squashfn ("abc"), "montemex:squashfn:notRealNumeric", ...
              "Arguments must be full real numeric or logical arrays.");
expect_error (@() squashfn (sparse ([1 0])), "montemex:squashfn:notRealNumeric", ...
              "Arguments must be full real numeric or logical arrays.");
