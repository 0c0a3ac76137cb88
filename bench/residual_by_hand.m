% idx = residual_by_hand (w): residual resampling as a user would write it with builtins, the
% alternative the benchmarks time remainderpick against: the whole copies of each particle,
% then the remainders drawn with lookup.
function idx = residual_by_hand (w)
  n = numel (w);
  e = n * w / sum (w);
  k = floor (e);
  idx = repelem ((1:n)', k);
  r = e - k;
  idx = [idx; lookup(cumsum (r) / sum (r), rand (n - numel (idx), 1)) + 1];
end
