% psivalue inside Octave: bit for bit against the recurrence and expansion written here in
% Octave, and close to Octave's own psi.
1;

function r = reference_psi (x)
  % Shift every element up to above 5, then the expansion; elementwise, in the module's order.
  s = zeros (size (x));
  shift = x <= 5;
  while (any (shift(:)))
    s(shift) = s(shift) - 1 ./ x(shift);
    x(shift) = x(shift) + 1;
    shift = x <= 5;
  end
  y = 1 ./ (x .* x);
  t = 3617 * y / 8160 + (-1/12);
  for c = [691/32760, -1/132, 1/240, -1/252, 1/120, -1/12]
    t = t .* y + c;
  end
  t = t .* y;
  r = ((s + log (x)) - 0.5 ./ x) + t;
end

function expect_same (a, b)
  assert (isequal (size (a), size (b)));
  same = (a == b & signbit (a) == signbit (b)) | (isnan (a) & isnan (b));
  if (! all (same(:)))
    k = find (! same, 1);
    error ("element %d differs: %.17g, expected %.17g", k, a(k), b(k));
  end
end

% A grid from -100 to 1e6 (no negative integer on it), bit for bit.
x = [(-100 + ((1:10000) - 0.5) * 0.01), (1:100000) * 0.001, 100 * 10 .^ ((1:10000) * 4e-4)];
r = psivalue (x);
expect_same (r, reference_psi (x));

% Close to Octave's psi where x > 0: below 10 the truncated expansion leaves up to 6.1e-13;
% above, psi itself strays by some ulps (14 at 1e6, where psivalue is within 2 of the true value).
positive = x > 0;
difference = abs (r(positive) - psi (x(positive)));
ulps = difference ./ eps (psi (x(positive)));
far = x(positive) > 10;
printf ("psivalue against psi, x > 0: largest difference %.3g (%.3g ulps); x > 10: %.3g ulps\n", ...
        max (difference), max (ulps), max (ulps(far)));
assert (max (difference) < 1e-12);
assert (max (ulps(far)) < 32);

% Special values.
big = 2^53;
expect_same (psivalue ([0, -0, -1, -2, -100, -65536, -big - 4, -1e300, -realmax, NaN, Inf, -Inf]), ...
             [-Inf, Inf, -Inf, -Inf, -Inf, -Inf, -Inf, -Inf, -Inf, NaN, Inf, NaN]);
v = [18, 20, 1e-9, 1.5e-8, 1, 5, -0.5, -99.5];
expect_same (psivalue (v), reference_psi (v));
assert (abs (psivalue (1) - psi (1)) < 3e-14);
assert (abs (psivalue (-0.5) - (2 + psi (1) - 2 * log (2))) < 1.5e-13);
% Below -65536, the reflection formula: close to the values just above.
assert (abs (psivalue (-65536.5) - psivalue (-65535.5)) < 1e-4);
assert (abs (psivalue (-3e15 - 0.5) - log (3e15)) < 1e-9);

% Shapes and classes: the first two dimensions, other classes as doubles.
c = reshape ((1:24) * 0.5, [2 3 4]);
expect_same (psivalue (c), reference_psi (c(:, :, 1)));
assert (isequal (size (psivalue (zeros (0, 3))), [0 3]));
expect_same (psivalue (int16 ([-3 7 1000])), reference_psi ([-3 7 1000]));
expect_same (psivalue (single (2.5)), reference_psi (2.5));
expect_same (psivalue (true), reference_psi (1));

% Messages: the input count first.
expect_error (@() call_with_outputs ("psivalue", 2, {1, 2}), "montemex:psivalue:wrongInputCount", ...
              "Wrong number of input arguments.");
expect_error (@() psivalue (), "montemex:psivalue:wrongInputCount", "Wrong number of input arguments.");
expect_error (@() call_with_outputs ("psivalue", 2, {1}), "montemex:psivalue:tooManyOutputs", ...
              "Too many output arguments.");
expect_error (@() psivalue (1 + 2i), "montemex:psivalue:notRealNumeric", ...
              "Arguments must be full real numeric or logical arrays.");
expect_error (@() psivalue ({1}), "montemex:psivalue:notRealNumeric", ...
              "Arguments must be full real numeric or logical arrays.");

% Hostile argument lists, with the very negative arguments: every call ends.
pool = [hostile_arguments(), {-big - 4, -realmax, [-Inf; -3e15 - 0.5]}];
calls = 0;
for nout = 0:3
  for a = 1:numel (pool)
    for nargs = 0:3
      args = {pool{a}, pool{mod (3 * a, numel (pool)) + 1}, 1};
      try
        call_with_outputs ("psivalue", nout, args(1:nargs));
      catch
      end
      calls++;
    end
  end
end
printf ("psivalue: %d hostile calls survived\n", calls);
