% psivalue inside Octave: bit for bit against the recurrence and expansion written here in
% Octave (closeness to Octave's psi, special values and messages are checked by the built-in
% tests of inst/psivalue.m).
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

% More arguments bit for bit, among them both sides of the shift's threshold and a negative one.
v = [18, 20, 1e-9, 1.5e-8, 1, 5, -0.5, -99.5];
expect_same (psivalue (v), reference_psi (v));

% Hostile argument lists, with the very negative arguments: every call ends.
pool = [hostile_arguments(), {-2^53 - 4, -realmax, [-Inf; -3e15 - 0.5]}];
n = numel (pool);
calls = hostile_sweep ("psivalue", 0:3, 0:3, 1:n, 1, @(a, ~) {pool{a}, pool{mod(3 * a, n) + 1}, 1});
printf ("psivalue: %d hostile calls survived\n", calls);
