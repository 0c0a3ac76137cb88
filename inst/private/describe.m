function text = describe(x)
%DESCRIBE  X as a message can show it, whatever it is.
if isnumeric(x) && isscalar(x) && isreal(x)
    text = sprintf('%.17g', double(x));
elseif ischar(x) && size(x, 1) <= 1
    text = ['''' x ''' (text)'];
else
    text = sprintf('(a %s of size %s)', class(x), mat2str(size(x)));
end
end
