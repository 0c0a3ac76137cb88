function [trace_tau2, trace_sigma2] = gibbs_sweeps (y, sweeps, sigma2, tau2)
  % GIBBS_SWEEPS  The Gibbs sampler of demo/gibbs_hierarchical.m (the model is described there):
  % SWEEPS sweeps on the n-by-J data Y from the group variances SIGMA2 (1-by-J) and the common
  % scale TAU2, drawing from the host's generators as they are. Returns the draws of tau2
  % (sweeps-by-1) and of sigma2 (sweeps-by-J).
  nu = 6; nu0 = 1; S = 1;   % sigma2(j) ~ Scaled-Inv-chi2(nu, tau2), tau2 ~ Scaled-Inv-chi2(nu0, S)
  [n, J] = size (y);
  trace_tau2 = zeros (sweeps, 1);
  trace_sigma2 = zeros (sweeps, J);
  for s = 1:sweeps
    mu = mean (y) + sqrt (sigma2 / n) .* randn (1, J);
    ss = sum ((y - mu) .^ 2);
    sigma2 = recipshapedraw ((nu * tau2 + ss) / (nu + n), (nu + n) * ones (1, J));
    H = J / sum (1 ./ sigma2);
    tau2 = scalehyperdraw (S, nu0, nu, H, J);
    trace_tau2(s) = tau2;
    trace_sigma2(s, :) = sigma2;
  end
end
