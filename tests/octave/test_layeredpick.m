% layeredpick inside Octave, bit for bit against the definition of stratified resampling fed
% Octave's own stream (every kind of weights is compared with the one plain reference in the
% unit and module tests; the documented cases are the built-in tests of inst/layeredpick.m).
1;

% Same result as the definition with the uniforms of rand (size (w)), and the generator left
% where that call leaves it.
function check_layeredpick (w, s)
  rand ("state", s); u = rand (size (w)); after = rand ("state");
  rand ("state", s); idx = layeredpick (w);
  assert (isequal (idx, stratified_definition (w, u)));
  assert (isequal (rand ("state"), after));
end

rand ("seed", 0); rand ("state", 7);
check_layeredpick (dyadic_weights (1, 1500), 8);
check_layeredpick (dyadic_weights (30, 50), 9);
check_layeredpick (dyadic_weights (5, 1), 10);
% Equal weights, whose counts (1/49) * 49 round just below 1: one copy each, 49 uniforms used.
rand ("state", 5); rand (1, 49); after = rand ("state");
rand ("state", 5); assert (isequal (layeredpick (ones (1, 49)), 1:49));
assert (isequal (rand ("state"), after));

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
