% studentdraw inside Octave, compared bit for bit with an Octave-language reference drawing
% randn() and rand() one number at a time.
1;

function check_against_reference (nu, m, n, varargin)
  randn ("state", 21); rand ("state", 22);
  expected = reference_family ("studentdraw", 0, nu, m, n);
  after = {randn("state"), rand("state")};
  for build = {"studentdraw", "studentdraw_unbuffered"}
    randn ("state", 21); rand ("state", 22);
    R = feval (build{1}, nu, varargin{:});
    assert (isequal (size (R), [m n]), "%s: size", build{1});
    assert (isequaln (R, expected), "%s(%s): values differ from the reference", build{1}, mat2str (nu));
    assert (isequal ({randn("state"), rand("state")}, after), "%s: the generators end elsewhere", build{1});
  end
end

for nu = [1 2 5 0.5 2.00001 3 1e-6 Inf NaN 0 -3]
  check_against_reference (nu, 1, 1);
  check_against_reference (nu, 3, 4, 3, 4);
end
check_against_reference (7, 2, 3, 2.7, 3.2);
mixed = [1 2 5 1; 1 0.5 2 Inf; NaN 3 2^1021 -Inf; 0 1e-6 2.00001 1];
check_against_reference (mixed, 4, 4);
check_against_reference (mixed, 4, 4, 4, 4);
check_against_reference (uint8 ([1 2 3]), 1, 3);

% Decided values: Z itself for infinite and huge nu, NaN for NaN, 0 and negative nu.
randn ("state", 23); Z = randn (1, 6);
randn ("state", 23); rand ("state", 23); before = rand ("state");
R = studentdraw ([Inf 2^1021 NaN 0 -2 -Inf]);
assert (isequal (R(1:2), Z(1:2)) && all (isnan (R(3:6))));
assert (isequal (rand ("state"), before));

% Bulk drawing: large calls equal the one-number-per-host-call build.
kinds = [1 1 1 2 2 5 0.5 2.00001 1e-6 NaN Inf 30];
randn ("state", 24); rand ("state", 24); nu = kinds(floor (rand (60, 50) * 12) + 1);
for args = {{nu}, {1, 200, 200}, {2, 200, 200}, {5, 200, 200}}
  randn ("state", 25); rand ("state", 26); R = studentdraw (args{1}{:}); after = {randn("state"), rand("state")};
  randn ("state", 25); rand ("state", 26); U = studentdraw_unbuffered (args{1}{:});
  assert (isequaln (R, U));
  assert (isequal ({randn("state"), rand("state")}, after));
end

% Each branch follows its exact distribution: F(t) = 1 - I(nu/(nu+t^2); nu/2, 1/2)/2 for t > 0.
tcdf = @(t, nu) 0.5 + sign (t) .* (0.5 - 0.5 * betainc (nu ./ (nu + t.^2), nu / 2, 0.5));
n = 20000;
randn ("state", 27); rand ("state", 27);
for nu = [1 2 3 0.5 2.00001 7]
  d = ks_distance (studentdraw (nu, n, 1), @(t) tcdf (t, nu));
  assert (d < 1.95 / sqrt (n), "studentdraw nu = %g: KS distance %g", nu, d);
end

% Messages, in their order; negative sizes draw nothing.
id = @(reason) ["montemex:studentdraw:" reason];
expect_error (@() studentdraw (1, 2), id ("wrongInputCount"), "Wrong number of input arguments.");
expect_error (@() call_with_outputs ("studentdraw", 2, {1, 2}), id ("tooManyOutputs"), "Too many output arguments.");
expect_error (@() studentdraw ([1 2; 3 4], 3, 3), id ("sizeMismatch"), "Size information is inconsistent.");
expect_error (@() studentdraw ([1 2; 3 4], 2, 3), id ("sizeMismatch"), "Size information is inconsistent.");
expect_error (@() studentdraw ({1}), id ("notRealNumeric"), "Arguments must be full real numeric or logical arrays.");
expect_error (@() studentdraw (1, Inf, 2), id ("badSize"), "Size arguments must be finite real numbers.");
randn ("state", 28); before = randn ("state");
assert (isequal (size (studentdraw (1, -3, -3)), [0 0]));
assert (isequal (size (studentdraw ([])), [0 0]));
assert (isequal (randn ("state"), before));
