% simplexdraw inside Octave: hostile argument lists (the exact draws, sizes and messages are
% checked by the built-in tests of inst/simplexdraw.m).
1;

% Hostile argument lists: Octave survives every call.
pool = hostile_arguments ();
n = numel (pool);
calls = hostile_sweep ("simplexdraw", 0:2, 0:3, 1:n, 1:n, @(a, b) {pool{a}, pool{b}, 1});
printf ("simplexdraw: %d hostile calls survived\n", calls);
