%STUDENTDRAW  Student t random variates.
%
%   R = studentdraw(NU) returns standard Student t variates (location 0, scale 1), one per
%   element of NU, with NU(i) degrees of freedom; R has the first two dimensions of NU.
%
%   R = studentdraw(NU, M, N) returns an M-by-N array. NU is then a scalar (every element has
%   NU degrees of freedom) or an array of exactly M rows and N columns.
%
%   Arguments:
%     NU    degrees of freedom, real numeric or logical, any class (converted to double). See
%           "Unusual degrees of freedom" below.
%     M, N  sizes, truncated toward zero (2.7 is 2); negative sizes count as 0, as in randn
%           and zeros, so no element is drawn for them. Only dimensions one and two of NU are
%           looked at.
%
%   Random numbers: first one call randn(M, N) (randn(size(NU, 1), size(NU, 2)) without size
%   arguments) whose normals Z become R; then element by element in column-major order:
%     NU == 1      one more normal Y from randn; the element is Z/Y
%     NU == 2      one uniform U from rand; the element is (sqrt(2)*(U-0.5))/sqrt(U-U*U),
%                  and Z is not used
%     other NU     the uniforms of one standard gamma draw G with shape NU/2 (see "help
%                  shapedraw" for the methods and their uniforms); the element is
%                  (Z*sqrt(NU))/sqrt(2*G)
%   With an array NU the rand and randn draws interleave as the elements require. Numbers are
%   fetched in blocks only when all of them are certain to be used, and never across an
%   element that draws the other kind (on hosts where rand and randn share one stream), so R
%   is bit for bit what one-at-a-time rand() and randn() calls give, and the generators are
%   left exactly where those calls leave them.
%
%   Unusual degrees of freedom (nothing is drawn for the element beyond its Z):
%     NU NaN                   NaN.
%     NU = Inf, or NU of 2^1021 (about 2.2e307) or more: Z itself, the
%                              limit of the distribution (standard normal).
%     0 < NU < 2e-5            G = NU/2, so the element is Z up to rounding.
%     NU = 0, NU < 0, -Inf     NaN.
%
%   Errors (identifier, message), all raised before any random number is drawn:
%     montemex:studentdraw:tooManyOutputs   Too many output arguments.
%     montemex:studentdraw:wrongInputCount  Wrong number of input arguments.
%                                           (one or three arguments; checked after the
%                                           outputs)
%     montemex:studentdraw:notRealNumeric   Arguments must be full real numeric or logical
%                                           arrays. (complex, sparse, char, cell, struct NU)
%     montemex:studentdraw:badSize          Size arguments must be finite real numbers.
%                                           (NaN, Inf, empty or non-numeric M or N)
%     montemex:studentdraw:sizeTooLarge     Size arguments are too large.
%     montemex:studentdraw:sizeMismatch     Size information is inconsistent.
%                                           (an array NU that is not M-by-N, or an empty NU
%                                           with a non-empty M-by-N)
%
%   Example:
%     randn("state", 1); rand("state", 1); R = studentdraw(5, 2, 4);   % 2-by-4, 5 d.o.f.
%
%   See also randn, shapedraw.
