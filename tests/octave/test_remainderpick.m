% remainderpick inside Octave, compared bit for bit with reference code drawing Octave's own
% stream one number at a time.
1;

function idx = reference_remainderpick (w)
  [r, c] = size (w);
  n = r * c;
  t = 0;
  for i = 1:n
    t = t + w(i);
  end
  b = zeros (n, 1);
  idx = zeros (r, c);
  pos = 0;
  R = n;
  for i = 1:n
    b(i) = expected_count (w(i), t, n);
    if (b(i) >= 1)
      k = fix (b(i));
      b(i) = b(i) - k;
      R = R - k;
      idx(pos+1:pos+k) = i;
      pos = pos + k;
    end
  end
  for i = 1:n
    b(i) = b(i) / R;
  end
  u = zeros (R, 1);
  for j = 1:R
    u(j) = rand ();
  end
  for i = 2:n
    b(i) = b(i-1) + b(i);
  end
  b(n) = 1;
  for j = 1:R
    idx(pos + j) = reference_search (b, u(j));
  end
end

function check_remainderpick (w, s)
  rand ("state", s); expected = reference_remainderpick (w); after = rand ();
  rand ("state", s); idx = remainderpick (w);
  assert (isequal (idx, expected));
  assert (rand () == after);
end

check_remainderpick ([0.1 0.2 0.3 0.4], 1);
check_remainderpick ([3; 0.5; 0; 2; 7], 2);
check_remainderpick ([0 1 0 2; 0 0 5 0.25; 0 1 3 0], 3);
check_remainderpick ([1 1 2], 4);              % expected counts [0.75 0.75 1.5]
check_remainderpick (ones (1, 49), 5);         % (1/49)*49 is just below 1, yet a whole copy
check_remainderpick (zeros (2, 3), 6);         % all zeros: every element 2, six uniforms
check_remainderpick ([0 3 1], 7);
rand ("seed", 0); rand ("state", 8);
w = rand (1, 1500); w(rand (1, 1500) < 0.3) = 0;
check_remainderpick (w, 9);
check_remainderpick (reshape (w, 50, 30), 10);
check_remainderpick ([0.5 -0.1 0.6], 11);

printf ("remainderpick: %d hostile calls survived\n", hostile_resampling ("remainderpick"));

% Equal weights give every particle its one copy, whatever N, and draw nothing.
rand ("state", 12); before = rand ("state");
for n = 1:10000
  assert (isequal (remainderpick (ones (1, n)), 1:n), "remainderpick (ones (1, %d))", n);
end
assert (isequal (rand ("state"), before));
