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
%   result: uniform k decides element k. After rand('state', s); IDX = plainpick(W) (in MATLAB
%   rng(s) seeds) the generator stands where rand(size(W, 1), size(W, 2)) leaves it.
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
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:plainpick:tooManyOutputs   Too many output arguments.
%     montemex:plainpick:wrongInputCount  Wrong number of input arguments.
%     montemex:plainpick:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                         (complex, sparse, char, cell and struct W)
%     montemex:plainpick:tooLarge         This call needs 24 GB of memory at once, more than the
%                                         22.7 GB a call may use here. (with the call's own
%                                         figures: see Limits below)
%     montemex:plainpick:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                         requested. (what a rand of the user's, an m-file that
%                                         shadows it, returned: nothing, another class, a
%                                         complex or sparse array, another size ("rand returned
%                                         an array of class int8 where real doubles were
%                                         requested."); or numbers no sampler can use: "rand
%                                         returned a number outside the open interval (0, 1).",
%                                         "rand returned numbers that a rejection loop rejected
%                                         10000 times in a row.")
%
%   Awkward weights: when every weight is finite but their sum overflows (W = [1e308 1e308
%   1e308]), they are scaled by a power of two first, so the result is what the same weights
%   scaled down give ([1 1 1] here). A total that is zero, NaN, infinite or negative gives the
%   result described above and the warning montemex:plainpick:degenerateWeights, "The weights
%   do not have a positive finite total, so the result is no resample of them." (once per call;
%   warning("off", "montemex:plainpick:degenerateWeights") turns it off). The warning comes
%   once the call has drawn its random numbers: made an error (warning("error", id)), it ends
%   the call with no result and the generator where the call would have left it.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:plainpick:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "plainpick: failed to allocate N bytes of memory"
%   with an empty identifier). Ctrl-C ends a long call within a few milliseconds in Octave,
%   with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Memory: a table of N doubles, and for N above 32 a search guide of at most N 4-byte
%   entries (half the table); both are freed before the call returns. The guide finds the
%   same index as the bisection, with one or two reads instead of log2(N).
%
%   Legacy build: the bisection counts a NaN table entry as below the uniform, so all-zero
%   weights give N in every element (the current build gives 2).
%
%   Example:
%     rand('state', 1);                      % in MATLAB: rng(1)
%     idx = plainpick([0.1 0.2 0.3 0.4])     % 1-by-4, values 1 to 4
%
%   See also remainderpick, layeredpick, fixedpick, classdraw.

%!test
%! % Bit for bit against the host's stream: with W = [1 1 2] the table is [0.25 0.5 1], so a
%! % uniform u gives 1 + (u > 0.25) + (u > 0.5); one rand the shape of W, and the generator left
%! % where that call leaves it. Other classes are read as doubles.
%! rand ("state", 1); U = rand (1, 3); after = rand ("state");
%! rand ("state", 1); assert (plainpick ([1 1 2]), 1 + (U > 0.25) + (U > 0.5));
%! assert (rand ("state"), after);
%! rand ("state", 1); assert (plainpick (int32 ([1; 1; 2])), 1 + (U' > 0.25) + (U' > 0.5));
%!test
%! % A uniform equal to a cumulative value selects that entry: with W = [u, 1 - u] the table is
%! % [u 1], and u is the first uniform drawn from the same state.
%! for s = 1:40
%!   rand ("state", s); u = rand ();
%!   if (u + (1 - u) == 1) break; end
%! end
%! rand ("state", s); idx = plainpick ([u, 1 - u]);
%! assert (idx(1), 1);
%!test
%! % Empty weights: an empty result of their size, and no random number used.
%! before = rand ("state");
%! assert (size (plainpick (zeros (0, 3))), [0 3]);
%! assert (size (plainpick (zeros (2, 3, 0))), [0 0]);
%! assert (rand ("state"), before);
%!warning id=montemex:plainpick:degenerateWeights assert (plainpick (zeros (2, 3)), 2 * ones (2, 3));
%!error id=montemex:plainpick:tooManyOutputs [a, b] = plainpick (1, 2)
%!error id=montemex:plainpick:wrongInputCount plainpick ()
%!error id=montemex:plainpick:notRealNumeric plainpick ("ab")

%!demo
%! % Multinomial resampling: each of the N indices is an independent draw, so the number of
%! % copies of a particle varies around its expected count N*w (see "demo layeredpick" for
%! % the four resamplers side by side).
%! rand ("state", 1);
%! w = [0.05 0.05 0.1 0.3 0.5];
%! printf ("expected N*w: %s\n", sprintf ("%5.2f", numel (w) * w));
%! for run = 1:3
%!   printf ("run %d counts: %s\n", run, sprintf ("%5d", accumarray (plainpick (w)', 1, [5 1])));
%! end
