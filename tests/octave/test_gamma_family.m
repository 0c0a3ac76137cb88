% shapedraw and recipshapedraw inside Octave, compared bit for bit with an Octave-language
% reference drawing rand() one number at a time, on every path (the single draws, shapes and
% messages are checked by the built-in tests of the help files in inst/).
1;

function check_against_reference (name, first, v, m, n, varargin)
  rand ("state", 11); expected = reference_family (name, first, v, m, n); after = rand ("state");
  for build = {name, [name "_unbuffered"]}
    rand ("state", 11); R = feval (build{1}, first, v, varargin{:});
    assert (isequal (size (R), [m n]), "%s: size", build{1});
    assert (isequaln (R, expected), "%s(%s, %s): values differ from the reference", build{1}, mat2str (first), mat2str (v));
    assert (isequal (rand ("state"), after), "%s: the generator ends elsewhere", build{1});
  end
end

paths = [8 0.5 2.00001 2.00002 3 200];   % every gamma path: rejection, boost, exponential
special = [NaN Inf 2^1021 -Inf 0 -4 1e-6 1.7e308];
for name = {"shapedraw", "recipshapedraw"}
  name = name{1};
  check_against_reference (name, 3, 8, 1, 1);
  check_against_reference (name, 3, 8, 3, 4, 3, 4);
  check_against_reference (name, 2, 0.5, 2, 5, 2.9, 5.2);
  check_against_reference (name, [1 -2 0.5; 3 10 7], reshape (paths, 2, 3), 2, 3);       % both arrays
  check_against_reference (name, [1 -2 0.5; 3 10 7], 5, 2, 3);                           % first array
  check_against_reference (name, 2.5, reshape (paths, 3, 2), 3, 2, 3, 2);                % second array
  check_against_reference (name, 3 * ones (1, 8), special, 1, 8);                        % decided values
  check_against_reference (name, [1 2 3], int8 ([4 5 6]), 1, 3);                         % other classes
  % Unusual degrees of freedom draw nothing and give the documented values.
  rand ("state", 12); before = rand ("state");
  R = feval (name, 3, special);
  assert (isequal (rand ("state"), before));
  assert (isequal (isnan (R), logical ([1 0 0 1 1 0 0 0])));
  assert (all (abs (R(! isnan (R)) - 3) <= 4 * eps (3)));
  assert (isequal (R(2:3), [3 3]));
end

% Bulk drawing: a large call equals the one-number-per-host-call build, value for value.
mixed = repmat ([8 0.5 2.000005 1e-6 3 NaN 40 2.00002 Inf -1 2 0], 100, 10);
means = rand (size (mixed));
for name = {"shapedraw", "recipshapedraw"}
  for args = {{3, 8, 400, 300}, {1.5, mixed}, {means, mixed}}
    rand ("state", 15); R = feval (name{1}, args{1}{:}); after = rand ("state");
    rand ("state", 15); U = feval ([name{1} "_unbuffered"], args{1}{:});
    assert (isequaln (R, U));
    assert (isequal (rand ("state"), after));
  end
end

% Hostile argument lists: Octave survives every call.
pool = hostile_arguments ();
n = numel (pool);
calls = hostile_sweep ({"shapedraw", "recipshapedraw", "shapedrawone", "recipshapedrawone"}, 0:3, 0:5, 1:n, 1:3:n, ...
                       @(a, b) {pool{a}, pool{b}, pool{mod(a + b, n) + 1}, 2, pool{b}});
printf ("gamma family: %d hostile calls survived\n", calls);
