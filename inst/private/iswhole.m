function ok = iswhole(x)
% A real numeric scalar with a whole value.
ok = isnumeric(x) && isscalar(x) && isreal(x) && ~issparse(x) && isfinite(x) && x == fix(x);
end
