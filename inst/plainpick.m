%PLAINPICK  Simple (multinomial) resampling of particle weights.
%
%   IDX = plainpick(W) returns 1-based particle indices in an array the size of the first two
%   dimensions of W. Each element is drawn independently: index i with probability
%   W(i) / sum(W(:)), the weights taken in column-major order. W need not sum to one.
%
%   The cumulative table is Q(1) = W(1), Q(i) = Q(i-1) + W(i), then Q(i) = Q(i) / Q(N) for
%   i < N and Q(N) = 1 exactly. A uniform u becomes the first i with Q(i) >= u (found by
%   bisection; N for u above Q(N-1)): a uniform equal to a cumulative value selects that entry,
%   and a particle of weight 0 is never chosen (unless all are 0, below).
%
%   Random numbers: exactly one call rand(size(W, 1), size(W, 2)), whose array becomes the
%   result: uniform k decides element k. After rand("state", s); IDX = plainpick(W) the
%   generator stands where rand(size(W, 1), size(W, 2)) leaves it.
%
%   Arguments:
%     W   real numeric or logical, any class (converted to double); dimensions beyond the
%         second are ignored (a 2-by-3-by-4 W gives a 2-by-3 result from its first six
%         weights). Values are not checked:
%         - all weights 0: every element is 2 (1 when W has one element);
%         - negative weights make the table non-monotone; every element is still an index
%           from 1 to N, as the bisection finds it;
%         - NaN or infinite weights give NaN table entries, which the bisection treats as not
%           below the uniform; every element is still an index from 1 to N.
%         An empty W (0-by-3, 1-by-0, ...) gives an empty result of its size and uses no
%         random number; a W with no elements whose first two dimensions are not 0
%         (2-by-3-by-0) gives a 0-by-0 result.
%
%   Errors (identifier, message), all raised before any random number is drawn:
%     montemex:plainpick:tooManyOutputs   Too many output arguments.
%     montemex:plainpick:wrongInputCount  Wrong number of input arguments.
%     montemex:plainpick:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                         (complex, sparse, char, cell and struct W)
%
%   Memory: a table of N doubles, and for N above 32 a search guide of at most N 4-byte
%   entries (half the table); both are freed before the call returns. The guide finds the
%   same index as the bisection, with one or two reads instead of log2(N).
%
%   Legacy build: the bisection counts a NaN table entry as below the uniform, so all-zero
%   weights give N in every element (the current build gives 2).
%
%   Example:
%     rand("state", 1); idx = plainpick([0.1 0.2 0.3 0.4]);   % 1-by-4, values 1 to 4
%
%   See also remainderpick, layeredpick, fixedpick, classdraw.
