function chain = gibbs_chain (master, k, y, sweeps, start)
  % GIBBS_CHAIN  Chain K of demo/parallel_chains.m: SWEEPS sweeps of the Gibbs sampler on the data
  % Y, from sigma2(j) = tau2 = START. It first seeds the host's generators from (MASTER, K)
  % alone (unitseed: rand ("state", [master, k, 1]) and randn ("state", [master, k, 2])), so
  % that its draws do not depend on the process that runs it nor on what ran there before.
  unitseed (master, k);
  [chain.tau2, chain.sigma2] = gibbs_sweeps (y, sweeps, start * ones (1, columns (y)), start);
end
