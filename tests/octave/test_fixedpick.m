% fixedpick inside Octave, compared bit for bit with reference code; it uses no random number.
1;

function idx = reference_fixedpick (w)
  [r, c] = size (w);
  n = r * c;
  t = 0;
  for i = 1:n
    t = t + w(i);
  end
  idx = zeros (r, c);
  acc = 0.5;
  pos = 0;
  for i = 1:n
    b = expected_count (w(i), t, n);
    if (b >= 1)
      k = fix (b);
      b = b - k;
      idx(pos+1:pos+k) = i;
      pos = pos + k;
    end
    acc = acc + b;
    if (acc >= 1)
      idx(pos + 1) = i;
      pos = pos + 1;
      acc = acc - 1;
    end
  end
end

rand ("state", 1);
cases = {[0.1 0.2 0.3 0.4], [3; 0.5; 0; 2; 7], [0 1 0 2; 0 0 5 0.25; 0 1 3 0], [1 3], [3 1], ...
         [1 2 1], [0 1], ones(7, 7), zeros(2, 3), 4.5, rand(40, 25)};
before = rand ("state");
for k = 1:numel (cases)
  assert (isequal (fixedpick (cases{k}), reference_fixedpick (cases{k})));
end
assert (isequal (rand ("state"), before));   % no random number used

printf ("fixedpick: %d hostile calls survived\n", hostile_resampling ("fixedpick"));
