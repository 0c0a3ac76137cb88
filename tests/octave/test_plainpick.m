% plainpick inside Octave, compared bit for bit with reference code drawing Octave's own
% stream one number at a time.
1;

function idx = reference_plainpick (w)
  [r, c] = size (w);
  q = reference_cumulative (w(1:r*c));
  idx = zeros (r, c);
  for k = 1:r*c
    idx(k) = reference_search (q, rand ());
  end
end

% Same result from the same state, and the generator left where the reference leaves it.
function check_plainpick (w, s)
  rand ("state", s); expected = reference_plainpick (w); after = rand ();
  rand ("state", s); idx = plainpick (w);
  assert (isequal (idx, expected));
  assert (rand () == after);
end

check_plainpick ([0.1 0.2 0.3 0.4], 1);          % row
check_plainpick ([3; 0.5; 0; 2; 7], 2);          % column
check_plainpick ([0 1 0 2; 0 0 5 0.25; 0 1 3 0], 3);  % matrix with zeros
check_plainpick ([1 1 2], 4);
check_plainpick (7, 5);
check_plainpick (zeros (2, 3), 6);               % all zeros: every element 2
rand ("seed", 0); rand ("state", 7);
w = rand (1, 1500); w(rand (1, 1500) < 0.3) = 0;  % long enough for the guided search
check_plainpick (w, 8);
check_plainpick (reshape (w, 30, 50), 9);
check_plainpick ([0.5 -0.1 0.6 0.2], 10);        % a negative weight: non-monotone table

% A uniform equal to a cumulative value selects that entry: with w = [u, 1 - u] the table is
% [u 1] exactly, and the first uniform drawn from the same state is u itself.
for s = 11:40
  rand ("state", s); u = rand ();
  if (u + (1 - u) == 1)
    break;
  end
end
w = [u, 1 - u];
assert (reference_cumulative (w)(1) == u);
check_plainpick (w, s);

% Errors come before anything is drawn (their identifiers are checked by the built-in tests of
% inst/plainpick.m, as are empty weights and other classes).
rand ("state", 13); before = rand ("state");
for args = {{}, {1, 2}, {"ab"}}
  try
    plainpick (args{1}{:});
  end
end
assert (isequal (rand ("state"), before));

printf ("plainpick: %d hostile calls survived\n", hostile_resampling ("plainpick"));
