function [y, true_sigma] = hierarchical_data ()
  % HIERARCHICAL_DATA  The data of the Gibbs demos: 8 groups of 12 observations with different
  % spreads, y(:, j) ~ N(true_mu(j), true_sigma(j)^2), drawn with randn from its current state.
  J = 8;
  n = 12;
  true_sigma = [0.5 0.8 1.0 1.2 1.5 2.0 2.5 3.0];
  true_mu = linspace (-2, 2, J);
  y = true_mu + true_sigma .* randn (n, J);
end
