% scalehyperdraw inside Octave, compared bit for bit with the sampler written out in Octave.
1;

% The worked example: all arguments 1, searches ending at -log 2 and log 2, meeting at 0.
[y, proposals, startX, boundary] = scalehyper_reference (1, 1, 1, 1, 1);
assert (isequal (startX, [-log(2), log(2)]));
assert (abs (boundary) < 1e-15);

% Same draws and same generator state as the reference, for ordinary and extreme arguments.
cases = [1 1 1 1 1; 2 5 4 3 20; 0.5 0.01 2 4 1; 1 1000 1 0.2 1e4; 1 0.1 3 0.01 1e6;
         1e-3 50 0.5 1e-3 3; 1 1e-4 1 1 1e-4; 1e-100 1e-4 1 1e-100 1.0001e-4;
         1e100 1e8 1 1e100 1e8; 1e-98 1e8 1e8 1e-100 1; 1e98 1e-4 1e8 1e100 1.0001e-12; 1e4 1e-3 1 1 1e8];
draws = 0;
total = 0;
for c = 1:rows (cases)
  a = num2cell (cases(c, :));
  for seed = 1:40
    rand ("state", seed);
    [expected, proposals] = scalehyper_reference (a{:});
    after = rand ();
    rand ("state", seed);
    y = scalehyperdraw (a{:});
    assert (y, expected, 0);
    assert (rand (), after, 0);
    rand ("state", seed);
    assert (scalehyperdraw_unbuffered (a{:}), expected, 0);
    assert (rand (), after, 0);
    draws++;
    total += proposals;
  end
end
printf ("scalehyperdraw: %d draws identical to the reference (%.2f proposals each)\n", draws, total / draws);

% Errors come before any draw (their identifiers are checked by the built-in tests of
% inst/scalehyperdraw.m, as is randn being left alone).
rand ("state", 5); before = rand ("state");
for args = {{1, 1, 1, 1}, {1, 1, "a", 1, 1}, {1, 1, 1, [], 1}, {1, 1, 1, 1, NaN}, {1, 1e9, 1, 1, 1}}
  try
    scalehyperdraw (args{1}{:});
  end
end
assert (isequal (rand ("state"), before));

% Only first elements count; other classes are read as doubles.
rand ("state", 6); expected = scalehyper_reference (2, 1, 3, 1, 1);
rand ("state", 6); assert (scalehyperdraw ([2 99], true, single (3), int8 (1), 1), expected, 0);

% The help describes the random numbers consumed.
assert (! isempty (strfind (help ("scalehyperdraw"), "three uniforms per proposal")));

% Hostile argument lists, one hostile argument among valid ones: Octave survives every call.
function args = one_hostile (pool, a, position)
  args = {2, 5, 4, 3, 20, 1};
  args{position} = pool{a};
end

pool = hostile_arguments ();
calls = hostile_sweep ("scalehyperdraw", 0:3, [4 5 6], 1:numel (pool), 1:5, @(a, position) one_hostile (pool, a, position));
printf ("scalehyperdraw: %d hostile calls survived\n", calls);
