% fixedpick inside Octave, bit for bit against the definition of deterministic resampling (every
% kind of weights is compared with the one plain reference in the unit and module tests; the
% documented cases are the built-in tests of inst/fixedpick.m). It uses no random number.
1;

rand ("seed", 0); rand ("state", 1);
cases = {dyadic_weights(1, 1500), dyadic_weights(40, 25), dyadic_weights(5, 1), ones(7, 7), [1 3], [3 1]};
before = rand ("state");
for k = 1:numel (cases)
  w = cases{k};
  assert (isequal (fixedpick (w), stratified_definition (w, 0.5 * ones (size (w)))));
end
assert (isequal (rand ("state"), before));   % no random number used

printf ("fixedpick: %d hostile calls survived\n", hostile_resampling ("fixedpick"));
