% layeredpick inside Octave, compared bit for bit with reference code drawing Octave's own
% stream one number at a time.
1;

function idx = reference_layeredpick (w)
  [r, c] = size (w);
  n = r * c;
  t = 0;
  for i = 1:n
    t = t + w(i);
  end
  u = zeros (r, c);
  for k = 1:n
    u(k) = rand ();
  end
  idx = zeros (r, c);
  acc = 0;
  pos = 0;
  for i = 1:n
    acc = acc + expected_count (w(i), t, n);
    if (acc >= 1)
      k = fix (acc);
      acc = acc - k;
      idx(pos+1:pos+k) = i;
      pos = pos + k;
    end
    if (pos < n && u(pos + 1) <= acc)
      idx(pos + 1) = i;
      acc = acc - 1;
      pos = pos + 1;
    end
  end
end

function check_layeredpick (w, s)
  rand ("state", s); expected = reference_layeredpick (w); after = rand ();
  rand ("state", s); idx = layeredpick (w);
  assert (isequal (idx, expected));
  assert (rand () == after);
  filled = idx(idx > 0);
  assert (issorted (filled(:)));
end

check_layeredpick ([0.1 0.2 0.3 0.4], 1);
check_layeredpick ([3; 0.5; 0; 2; 7], 2);
check_layeredpick ([0 1 0 2; 0 0 5 0.25; 0 1 3 0], 3);
check_layeredpick ([1 3], 4);
check_layeredpick (ones (1, 49), 5);
check_layeredpick (zeros (2, 3), 6);            % all zeros: all zeros, six uniforms used
rand ("seed", 0); rand ("state", 7);
w = rand (1, 1500); w(rand (1, 1500) < 0.3) = 0;
check_layeredpick (w, 8);
check_layeredpick (reshape (w, 30, 50), 9);

% Errors come before anything is drawn (their identifiers are checked by the built-in tests of
% inst/layeredpick.m, as are empty and negative weights).
rand ("state", 10); before = rand ("state");
for args = {{}, {1, 2}, {struct()}}
  try
    layeredpick (args{1}{:});
  end
end
assert (isequal (rand ("state"), before));

printf ("layeredpick: %d hostile calls survived\n", hostile_resampling ("layeredpick"));
