function r = octave_only(a, b = 2)   % flag
% What tests/lint/common_subset.sh must flag: the lines marked "flag", and nothing else.
%
%   Example:
%     r = octave_only(1, "two")   % flag
%
#  a comment   % flag
x = "text";   % flag
if !a, end   % flag
if a != b, end   % flag
a++;   % flag
a += 1;   % flag
r = a ** 2;   % flag
printf('%d\n', a);   % flag
if a, r = 1; endif   % flag
unwind_protect   % flag
r = numel(a)(1);   % flag
r = a + ...
    b \   % flag
% Not flagged: transposes, strings with quotes and brackets, comments with "quotes" and #.
r = [a' b'] * [a 'it''s #!"'];   % "fine" # here
r = {a', 'x'}; s = a.'; t = r{1}'; u = ~a; v = a ~= b;
%!test
%! assert (octave_only (1) != 2);
