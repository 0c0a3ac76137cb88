% studentdraw inside Octave, compared bit for bit with an Octave-language reference drawing
% randn() and rand() one number at a time (decided values, the distribution, shapes and messages
% are checked by the built-in tests of inst/studentdraw.m).
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

% Bulk drawing: large calls equal the one-number-per-host-call build.
kinds = [1 1 1 2 2 5 0.5 2.00001 1e-6 NaN Inf 30];
randn ("state", 24); rand ("state", 24); nu = kinds(floor (rand (60, 50) * 12) + 1);
for args = {{nu}, {1, 200, 200}, {2, 200, 200}, {5, 200, 200}}
  randn ("state", 25); rand ("state", 26); R = studentdraw (args{1}{:}); after = {randn("state"), rand("state")};
  randn ("state", 25); rand ("state", 26); U = studentdraw_unbuffered (args{1}{:});
  assert (isequaln (R, U));
  assert (isequal ({randn("state"), rand("state")}, after));
end
