%CLASSDRAW  Categorical random variates.
%
%   R = classdraw(P) returns one category index from 1 to K = numel of P's first two
%   dimensions, drawn with probability P(k) / sum(P) (P in column-major order; it need not sum
%   to one).
%   R = classdraw(P, M) returns an M-by-1 column of independent indices.
%   R = classdraw(P, M, N) returns an M-by-N array.
%
%   The cumulative table is Q(1) = P(1), Q(k) = Q(k-1) + P(k), then Q(k) = Q(k) / Q(K) for
%   k < K and Q(K) = 1 exactly. A uniform u becomes the first k with Q(k) >= u (by bisection;
%   K for u above Q(K-1)): a uniform equal to a cumulative value selects that entry, and a
%   category of probability 0 is never drawn (unless all are 0, below).
%
%   Random numbers: exactly one call rand(M, N) (rand() without sizes, rand(M, 1) with one),
%   whose array becomes the result: uniform k decides element k. The call comes before the
%   probabilities are read, so a call that fails with "Negative probability." has already
%   advanced the generator by M*N numbers.
%
%   Arguments:
%     P     real numeric or logical, any class (converted to double); dimensions beyond the
%           second are ignored. Values are checked only for being below 0:
%           - all probabilities 0: every element is 2 (1 when K is 1);
%           - NaN or infinite probabilities give NaN table entries, which the bisection treats
%             as not below the uniform; every element is still an index from 1 to K.
%     M, N  sizes, truncated toward zero (2.9 is 2) before "rand" is called, so the result
%           holds exactly the elements that are replaced; negative sizes count as 0, as in
%           rand and zeros. M = 0 gives a 0-by-1 result; P is still read and checked.
%
%   Errors (identifier, message):
%     montemex:classdraw:tooManyOutputs      Too many output arguments.
%     montemex:classdraw:wrongInputCount     Wrong number of input arguments. (1 to 3 arguments)
%     montemex:classdraw:notRealNumeric      Arguments must be full real numeric or logical
%                                            arrays. (complex, sparse, char, cell and struct P)
%     montemex:classdraw:emptyProbabilities  Probabilities must not be empty. (P with no
%                                            elements: there is no category to draw)
%     montemex:classdraw:badSize             Size arguments must be finite real numbers.
%                                            (NaN, Inf, empty or non-numeric M or N)
%     montemex:classdraw:sizeTooLarge        Size arguments are too large.
%     montemex:classdraw:negativeProbability Negative probability. (the first P(k) < 0)
%   All but the last are raised before any random number is drawn; "Negative probability."
%   comes after the rand call.
%
%   Memory: a table of K doubles, and for K above 32 and at least K/64 draws a search guide of
%   at most K 4-byte entries (half the table); both are freed before the call returns, also
%   when it fails. The guide finds the same index as the bisection, with fewer reads.
%
%   Example:
%     rand("state", 1); R = classdraw([1 1 2], 2, 3);   % 2-by-3, P(3) twice as likely
%
%   See also plainpick, rand.
