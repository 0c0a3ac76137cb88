% classdraw inside Octave, compared bit for bit with reference code drawing Octave's own stream
% one number at a time.
1;

function r = reference_classdraw (p, m, n)
  q = reference_cumulative (p(1:size (p, 1) * size (p, 2)));
  r = zeros (m, n);
  for k = 1:m*n
    r(k) = reference_search (q, rand ());
  end
end

function check_classdraw (s, p, varargin)
  sizes = [varargin{:}, 1, 1];
  rand ("state", s); expected = reference_classdraw (p, fix (sizes(1)), fix (sizes(2))); after = rand ();
  rand ("state", s); r = classdraw (p, varargin{:});
  assert (isequal (r, expected));
  assert (rand () == after);
end

check_classdraw (1, [0.2 0.8]);
check_classdraw (2, [1 1 2], 2, 3);
check_classdraw (3, [1; 1; 2], 4);                 % a column of probabilities
check_classdraw (4, [0 3 0; 1 2 0], 3, 5);         % a matrix of probabilities
check_classdraw (5, 7, 2, 2);
check_classdraw (6, [0 0 0], 2, 2);                % all zeros: every element 2
check_classdraw (7, [1 2], 2.9, 3.7);              % sizes truncated to 2 by 3
rand ("seed", 0); rand ("state", 8);
p = rand (1, 500); p(rand (1, 500) < 0.25) = 0;
check_classdraw (9, p, 40, 50);                    % enough draws for the guided search
check_classdraw (10, p, 3);

assert (isequal (size (classdraw ([1 2], 0)), [0 1]));
assert (isequal (size (classdraw ([1 2], -2, -3)), [0 0]));

% A uniform equal to a cumulative value selects that category: with p = [u, 1 - u] the table
% is [u 1] exactly, and the uniform drawn from the same state is u itself.
for s = 11:40
  rand ("state", s); u = rand ();
  if (u + (1 - u) == 1)
    break;
  end
end
check_classdraw (s, [u, 1 - u]);
rand ("state", s); assert (classdraw ([u, 1 - u]) == 1);

% A negative probability fails after the rand call, which has already used m * n numbers, and
% is found also when nothing is drawn.
for p = {[0.5 -0.1 0.6], [0.5 0.6 -0.1]}
  rand ("state", 12); rand (2, 3); after = rand ();
  rand ("state", 12);
  expect_error (@() classdraw (p{1}, 2, 3), "montemex:classdraw:negativeProbability", "Negative probability.");
  assert (rand () == after);
  expect_error (@() classdraw (p{1}, 0), "montemex:classdraw:negativeProbability", "Negative probability.");
end

% Every other message comes before anything is drawn.
rand ("state", 13); before = rand ("state");
expect_error (@() classdraw (), "montemex:classdraw:wrongInputCount", "Wrong number of input arguments.");
expect_error (@() classdraw (1, 2, 3, 4), "montemex:classdraw:wrongInputCount", "Wrong number of input arguments.");
expect_error (@() call_with_outputs ("classdraw", 2, {1}), "montemex:classdraw:tooManyOutputs", "Too many output arguments.");
expect_error (@() classdraw ([]), "montemex:classdraw:emptyProbabilities", "Probabilities must not be empty.");
expect_error (@() classdraw (zeros (2, 3, 0), 1), "montemex:classdraw:emptyProbabilities", "Probabilities must not be empty.");
expect_error (@() classdraw ("ab"), "montemex:classdraw:notRealNumeric", "Arguments must be full real numeric or logical arrays.");
expect_error (@() classdraw ([1 2], NaN), "montemex:classdraw:badSize", "Size arguments must be finite real numbers.");
expect_error (@() classdraw ([1 2], 1e300, 1e300), "montemex:classdraw:sizeTooLarge", "Size arguments are too large.");
assert (isequal (rand ("state"), before));
