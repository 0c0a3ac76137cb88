% remainderpick inside Octave, bit for bit against the definition of residual resampling fed
% Octave's own stream (every kind of weights is compared with the one plain reference in the
% unit and module tests; the documented cases are the built-in tests of inst/remainderpick.m).
1;

% Residual resampling by its definition, for weights whose expected counts are exact
% (dyadic_weights): floor (E) copies of each particle in order, then the R places left drawn
% with the uniforms u over the remainders, each divided by R and summed in order (the last sum
% set to 1), as 1 + the number of those sums below u.
function idx = residual_definition (w, u)
  n = numel (w);
  E = (w(:) / sum (w(:))) * n;
  copies = floor (E);
  q = cumsum ((E - copies) / numel (u));
  q(n) = 1;
  idx = reshape ([repelem((1:n)', copies); 1 + sum(q(1:n - 1) < u(:)', 1)'], size (w));
end

% Same result as the definition with the uniforms of one rand (R, 1) call, and the generator
% left where that call leaves it.
function check_remainderpick (w, s)
  R = numel (w) - sum (floor ((w(:) / sum (w(:))) * numel (w)));
  rand ("state", s); u = rand (R, 1); after = rand ("state");
  rand ("state", s); idx = remainderpick (w);
  assert (isequal (idx, residual_definition (w, u)));
  assert (isequal (rand ("state"), after));
end

rand ("seed", 0); rand ("state", 8);
check_remainderpick (dyadic_weights (1, 1500), 9);
check_remainderpick (dyadic_weights (50, 30), 10);
check_remainderpick (dyadic_weights (5, 1), 11);

printf ("remainderpick: %d hostile calls survived\n", hostile_resampling ("remainderpick"));

% Equal weights give every particle its one copy, whatever N, and draw nothing.
rand ("state", 12); before = rand ("state");
for n = 1:10000
  assert (isequal (remainderpick (ones (1, n)), 1:n), "remainderpick (ones (1, %d))", n);
end
assert (isequal (rand ("state"), before));
