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

rand ("state", 1); before = rand ("state");
cases = {[0.1 0.2 0.3 0.4], [3; 0.5; 0; 2; 7], [0 1 0 2; 0 0 5 0.25; 0 1 3 0], [1 3], [3 1], ...
         [1 2 1], [0 1], ones(7, 7), zeros(2, 3), 4.5, rand(40, 25)};
for k = 1:numel (cases)
  assert (isequal (fixedpick (cases{k}), reference_fixedpick (cases{k})));
end
assert (isequal (fixedpick ([1 1 -1]), [1 1 1]));   % asks for six copies; three places

% No random number: the generator never moves.
w = rand (1, 100);
before = rand ("state");
assert (isequal (fixedpick (w), fixedpick (w)));
assert (isequal (size (fixedpick (zeros (0, 3))), [0 3]));
assert (isequal (size (fixedpick (zeros (2, 3, 0))), [0 0]));
assert (isequal (rand ("state"), before));

expect_error (@() fixedpick (), "montemex:fixedpick:wrongInputCount", "Wrong number of input arguments.");
expect_error (@() call_with_outputs ("fixedpick", 2, {1}), "montemex:fixedpick:tooManyOutputs", "Too many output arguments.");
expect_error (@() fixedpick (sparse ([1 2])), "montemex:fixedpick:notRealNumeric", "Arguments must be full real numeric or logical arrays.");

printf ("fixedpick: %d hostile calls survived\n", hostile_resampling ("fixedpick"));
