function R = reference_family (name, first, v, m, n)
  % REFERENCE_FAMILY  What shapedraw, recipshapedraw and studentdraw give for these arguments,
  % computed with rand() and randn() drawn one number at a time (an Octave-language reference).
  % first is the mean or scale (ignored by studentdraw, whose degrees of freedom are v).
  first = double (first);
  v = double (v);
  if (strcmp (name, "studentdraw"))
    R = randn (m, n);
  else
    R = zeros (m, n);
  end
  for i = 1:m*n
    if (isscalar (v)) vi = v; else vi = v(i); end
    if (isscalar (first)) fi = first; else fi = first(i); end
    switch (name)
      case "shapedraw"
        if (vi / 2 >= 2^1020)
          R(i) = fi;
        else
          R(i) = 2 * reference_gamma (vi / 2) * fi / vi;
        end
      case "recipshapedraw"
        if (vi / 2 >= 2^1020)
          R(i) = fi;
        else
          R(i) = fi * vi / 2 / reference_gamma (vi / 2);
        end
      case "studentdraw"
        if (vi == 1)
          R(i) = R(i) / randn ();
        elseif (vi == 2)
          u = rand ();
          R(i) = (sqrt (2) * (u - 0.5)) / sqrt (u - u * u);
        elseif (! (vi / 2 >= 2^1020))   % huge nu keeps Z
          R(i) = (R(i) * real_sqrt (vi)) / real_sqrt (2 * reference_gamma (vi / 2));
        end
    end
  end
end

function r = real_sqrt (x)
  % The C library's sqrt: NaN, not an imaginary number, for negative x.
  if (x < 0)
    r = NaN;
  else
    r = sqrt (x);
  end
end
