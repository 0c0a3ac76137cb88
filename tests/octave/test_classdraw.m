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

% Every error but "Negative probability." comes before anything is drawn (the identifiers are
% checked by the built-in tests of inst/classdraw.m).
rand ("state", 13); before = rand ("state");
for args = {{}, {1, 2, 3, 4}, {[]}, {zeros(2, 3, 0), 1}, {"ab"}, {[1 2], NaN}, {[1 2], 1e300, 1e300}}
  try
    classdraw (args{1}{:});
  end
end
assert (isequal (rand ("state"), before));
