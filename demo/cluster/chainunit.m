function chain = chainunit(k, sweeps)
%CHAINUNIT  Unit K of the cluster demo: one Gibbs chain for the eight schools.
%
%   CHAIN = chainunit(K) runs 2000 sweeps of a Gibbs sampler for the eight schools of Rubin
%   (1981): the estimated effect y(j) of coaching at school j, with standard error sigma(j),
%   is y(j) ~ N(theta(j), sigma(j)^2); theta(j) ~ N(mu, tau^2), with flat priors on mu and
%   tau. CHAIN holds the draws: mu and tau (columns), theta (a row per sweep).
%   CHAIN = chainunit(K, SWEEPS) runs SWEEPS sweeps.
%
%   unitrun seeds the generators from (master seed, K) before it calls this, so the chain,
%   its random start too, is the same on whichever node and however often it runs. K itself
%   is not needed here.
if nargin < 2
    sweeps = 2000;
end
y = [28 8 -3 7 -1 1 18 12];
sigma = [15 10 16 11 9 11 10 18];
J = numel(y);
mu = 20 * randn();                        % a start far from the others' in most chains
tau2 = 100 * waitdraw(1);
chain = struct('mu', zeros(sweeps, 1), 'tau', zeros(sweeps, 1), 'theta', zeros(sweeps, J));
for s = 1:sweeps
    v = 1 ./ (1 ./ sigma .^ 2 + 1 / tau2);
    theta = v .* (y ./ sigma .^ 2 + mu / tau2) + sqrt(v) .* randn(1, J);
    mu = mean(theta) + sqrt(tau2 / J) * randn();
    tau2 = recipshapedraw(sum((theta - mu) .^ 2) / (J - 1), J - 1);
    chain.mu(s) = mu;
    chain.tau(s) = sqrt(tau2);
    chain.theta(s, :) = theta;
end
end
