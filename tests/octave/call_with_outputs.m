function call_with_outputs (name, nout, args)
  % CALL_WITH_OUTPUTS  Call function `name` with the cell array of arguments `args`, asking for
  % nout outputs (0 calls it as a statement). Errors propagate.
  f = str2func (name);
  switch (nout)
    case 0
      f (args{:});
    case 1
      a = f (args{:});
    case 2
      [a, b] = f (args{:});
    otherwise
      [a, b, c] = f (args{:});
  end
end
