function b = expected_count (w, t, n)
  % EXPECTED_COUNT  (w / t) * n, the quotient first; a count that rounding left below a whole
  % number k >= 1 by at most (n + 2) units of 2^-52 (relative) is taken as k.
  b = (w / t) * n;
  k = ceil (b);
  if (k >= 1 && b < k && k - b <= (n + 2) * k * 2^-52)
    b = k;
  end
end
