function chain = gibbs_chain (master, k, y, sweeps, start)
  % GIBBS_CHAIN  Chain K of demo/parallel_chains.m: SWEEPS sweeps of the Gibbs sampler on the data
  % Y, from sigma2(j) = tau2 = START. It first seeds the host's generators from (MASTER, K)
  % alone, so that its draws do not depend on the process that runs it nor on what ran there
  % before. rand and randn get different seeds: they are two copies of the same generator, and
  % seeded alike they would run through the same numbers.
  rand ("state", [master, k, 1]);
  randn ("state", [master, k, 2]);
  [chain.tau2, chain.sigma2] = gibbs_sweeps (y, sweeps, start * ones (1, columns (y)), start);
end
