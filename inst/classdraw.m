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
%     montemex:classdraw:tooLarge            This call needs 24 GB of memory at once, more than
%                                            the 22.7 GB a call may use here. (with the call's
%                                            own figures: see Limits below)
%     montemex:classdraw:badHostResult       rand returned a 1-by-1 array where 3-by-4 was
%                                            requested. (what a rand of the user's, an m-file
%                                            that shadows it, returned: nothing, another class,
%                                            a complex or sparse array, another size ("rand
%                                            returned an array of class int8 where real doubles
%                                            were requested."); or numbers no sampler can use:
%                                            "rand returned a number outside the open interval
%                                            (0, 1).", "rand returned numbers that a rejection
%                                            loop rejected 10000 times in a row.")
%   All but "Negative probability." and badHostResult are raised before any random number is
%   drawn; those two come after the rand call.
%
%   Awkward probabilities: when every probability is finite but their sum overflows (P = [1e308
%   1e308 1e308]), they are scaled by a power of two first, so the result is what the same
%   probabilities scaled down give ([1 1 1] here). A total that is zero, NaN, infinite or
%   negative gives the result described above and the warning
%   montemex:classdraw:degenerateWeights, "The weights do not have a positive finite total, so
%   the result is no resample of them." (once per call; warning("off",
%   "montemex:classdraw:degenerateWeights") turns it off). The warning comes once the call has
%   drawn its random numbers: made an error (warning("error", id)), it ends the call with no
%   result and the generator where the call would have left it.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:classdraw:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "classdraw: failed to allocate N bytes of memory"
%   with an empty identifier). Ctrl-C ends a long call within a few milliseconds in Octave,
%   with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Memory: a table of K doubles, and for K above 32 and at least K/64 draws a search guide of
%   at most K 4-byte entries (half the table); both are freed before the call returns, also
%   when it fails. The guide finds the same index as the bisection, with fewer reads.
%
%   Example:
%     rand('state', 1);                   % in MATLAB: rng(1)
%     R = classdraw([1 1 2], 2, 3)       % 2-by-3 indices 1 to 3; 3 twice as likely as 1 or 2
%
%   See also plainpick, rand.

%!test
%! % Bit for bit against the host's stream: with P = [1 1 2] the table is [0.25 0.5 1], so a
%! % uniform u gives 1 + (u > 0.25) + (u > 0.5); the generator is left where rand (M, N) leaves it.
%! rand ("state", 1); U = rand (2, 3); after = rand ("state");
%! rand ("state", 1); assert (classdraw ([1 1 2], 2, 3), 1 + (U > 0.25) + (U > 0.5));
%! assert (rand ("state"), after);
%! rand ("state", 1); assert (classdraw (int8 ([1; 1; 2]), 2.9, 3.7), 1 + (U > 0.25) + (U > 0.5));
%! rand ("state", 1); assert (classdraw ([1 1 2], 2), 1 + (U(1:2)' > 0.25) + (U(1:2)' > 0.5));
%! rand ("state", 1); assert (classdraw ([1 1 2]), 1 + (U(1) > 0.25) + (U(1) > 0.5));
%!test
%! % A negative probability is found after the rand call, which has used M*N numbers, and also
%! % when nothing is drawn.
%! rand ("state", 2); rand (2, 3); after = rand ("state");
%! rand ("state", 2);
%! try
%!   classdraw ([0.5 -0.1 0.6], 2, 3);
%! catch err
%! end
%! assert (err.identifier, "montemex:classdraw:negativeProbability");
%! assert (rand ("state"), after);
%! assert (size (classdraw ([1 2], 0)), [0 1]);
%! assert (size (classdraw ([1 2], -2, -3)), [0 0]);
%!warning id=montemex:classdraw:degenerateWeights assert (classdraw ([0 0 0], 2, 2), 2 * ones (2));
%!error id=montemex:classdraw:tooManyOutputs [a, b] = classdraw (1)
%!error id=montemex:classdraw:wrongInputCount classdraw ()
%!error id=montemex:classdraw:wrongInputCount classdraw (1, 2, 3, 4)
%!error id=montemex:classdraw:notRealNumeric classdraw ("ab")
%!error id=montemex:classdraw:emptyProbabilities classdraw ([])
%!error id=montemex:classdraw:emptyProbabilities classdraw (zeros (2, 3, 0), 1)
%!error id=montemex:classdraw:badSize classdraw ([1 2], NaN)
%!error id=montemex:classdraw:sizeTooLarge classdraw ([1 2], 1e300, 1e300)
%!error id=montemex:classdraw:negativeProbability classdraw ([0.5 0.6 -0.1], 0)
%!error id=montemex:classdraw:tooLarge classdraw ([1 2], 1e6, 1e6)

%!demo
%! % 100000 draws with probabilities proportional to P: how often each category comes up.
%! rand ("state", 1);
%! P = [1 2 3 4 0 10];
%! R = classdraw (P, 100000, 1);
%! printf ("%9s %12s %12s\n", "category", "drawn", "P / sum (P)");
%! printf ("%9d %12.4f %12.4f\n", [1:6; accumarray(R, 1, [6 1])' / numel(R); P / sum(P)]);
