function g = reference_gamma (a)
  % REFERENCE_GAMMA  A standard gamma variate with shape a, drawing rand() one number at a time:
  % an Octave-language reference for checking the modules bit for bit.
  if (isnan (a) || a < 0.00001)
    g = a;
    return;
  end
  if (a <= 1)
    u = rand ();
    g = reference_gamma (a + 1) * u ^ (1 / a);
  elseif (a < 1.00001)
    g = -log (rand ());
  elseif (a >= 2^1020)
    g = a;
    return;
  else
    b = a - 1;
    c = 3 * a - 0.75;
    while (true)
      u = rand ();
      v = rand ();
      w = u * (1 - u);
      y = sqrt (c / w) * (u - 0.5);
      x = b + y;
      if (x >= 0)
        z = 64 * w * w * w * v * v;
        if (z <= 1 - (2 * y * y) / x || 2 * (b * log (x / b) - y) >= log (z))
          break;
        end
      end
    end
    g = x;
  end
  if (g < 1e-15 && g < a)
    if (a < 1e-15)
      g = a;
    else
      g = 1e-15;
    end
  end
end
