function index = reference_search (q, x)
  % REFERENCE_SEARCH  1 + the position found by bisection over the cumulative table q (0-based
  % positions lo and hi): 1 when q(1) >= x; else, starting from lo = 0 and hi = n - 1, mid =
  % floor((lo + hi) / 2) becomes lo when q(mid+1) < x and hi otherwise, until hi - lo = 1.
  if (q(1) >= x)
    index = 1;
    return;
  end
  lo = 0;
  hi = numel (q) - 1;
  while (hi - lo > 1)
    mid = floor ((lo + hi) / 2);
    if (q(mid + 1) < x)
      lo = mid;
    else
      hi = mid;
    end
  end
  index = hi + 1;
end
