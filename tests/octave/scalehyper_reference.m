function [y, proposals, startX, firstBoundary] = scalehyper_reference (S, nu0, nu, H, N)
  % SCALEHYPER_REFERENCE  The conditional scale draw written out in Octave: adaptive rejection
  % sampling of x = -log(y), drawing rand() one at a time. Returns the draw, the number of
  % proposals, the two start points and the boundary between their segments.
  recipS = 1 / S;
  linCoef = nu0 - N * nu;
  nOverH = (1 / H) * N;
  dens = @(x) log_density (x, recipS, linCoef, nu0, nu, nOverH);
  xStart = log (recipS);
  step = log (1 / sqrt (nu0) + 1);

  % Nodes 1..100 as parallel arrays; prv/nxt hold neighbours' indices, 0 for none.
  slope = zeros (1, 100); icpt = slope; xs = slope; zr = slope; area = slope;
  prv = zeros (1, 100); nxt = prv;

  x = xStart;
  [h, d] = dens (x);
  top = h;
  while (! (d >= 1e-9 && h <= top - 0.1))
    x = x - ((xStart - x) + step);
    [h, d] = dens (x);
    if (h > top) top = h; end
  end
  xs(1) = x; slope(1) = d; icpt(1) = h - x * d;
  x = xStart;
  [h, d] = dens (x);
  while (! (d <= -1e-9 && h <= top - 0.1))
    x = x + ((x - xStart) + step);
    [h, d] = dens (x);
    if (h > top) top = h; end
  end
  xs(2) = x; slope(2) = d; icpt(2) = h - x * d;
  zr(1) = (icpt(2) - icpt(1)) / (slope(1) - slope(2));
  nxt(1) = 2; prv(2) = 1;
  head = 1; count = 2;
  startX = xs(1:2); firstBoundary = zr(1);

  proposals = 0;
  while (true)
    proposals++;
    n = head;
    M = slope(n) * zr(n) + icpt(n);
    n = nxt(n);
    while (nxt(n) != 0)
      v = slope(n) * zr(n) + icpt(n);
      if (v > M) M = v; end
      n = nxt(n);
    end
    n = head;
    while (n != 0)
      if (prv(n) == 0)
        area(n) = exp (slope(n) * zr(n) + icpt(n) - M) / slope(n);
      elseif (nxt(n) != 0)
        p = zr(prv(n));
        area(n) = (exp (slope(n) * zr(n) + icpt(n) - M) - exp (slope(n) * p + icpt(n) - M)) / slope(n);
      else
        p = zr(prv(n));
        area(n) = -exp (slope(n) * p + icpt(n) - M) / slope(n);
      end
      n = nxt(n);
    end

    total = 0;
    n = head;
    while (n != 0)
      total = total + area(n);
      n = nxt(n);
    end
    t = total * rand ();
    n = head;
    while (nxt(n) != 0)
      t = t - area(n);
      if (t >= 0) n = nxt(n); else break; end
    end
    u2 = rand ();
    s = slope(n);
    if (prv(n) == 0)
      x = zr(n) + log (u2) / s;
    elseif (nxt(n) == 0)
      x = zr(prv(n)) + log (u2) / s;
    else
      a = zr(prv(n)); c = zr(n);
      E = exp (abs (s) * (a - c));
      L = log (u2 + (1 - u2) * E) / s;
      if (s > 0) x = c + L; else x = a + L; end
    end

    [h, d] = dens (x);
    u = rand ();
    if (u <= exp ((h - slope(n) * x) - icpt(n)))
      y = exp (-x);
      return;
    end
    if (count < 100 && abs (d) > 1e-9 && abs (d - slope(n)) > 1e-9
        && (prv(n) == 0 || abs (d - slope(prv(n))) > 1e-9)
        && (nxt(n) == 0 || abs (d - slope(nxt(n))) > 1e-9))
      if (xs(n) > x) L = prv(n); else L = n; end
      count++;
      k = count;
      prv(k) = L;
      if (L != 0)
        nxt(k) = nxt(L); nxt(L) = k;
      else
        nxt(k) = head; head = k;
      end
      R = nxt(k);
      if (R != 0) prv(R) = k; end
      xs(k) = x; slope(k) = d; icpt(k) = h - x * d;
      if (L != 0) zr(L) = (icpt(k) - icpt(L)) / (slope(L) - slope(k)); end
      if (R != 0) zr(k) = (icpt(R) - icpt(k)) / (slope(k) - slope(R)); end
    end
  end
end

function [h, d] = log_density (x, recipS, linCoef, nu0, nu, nOverH)
  e = exp (x);
  d = (linCoef / 2 - (e * nu0) / (2 * recipS)) + (nu * nOverH) / (2 * e);
  h = (x * linCoef / 2 - (e * nu0) / (2 * recipS)) - (nu * nOverH) / (2 * e);
end
