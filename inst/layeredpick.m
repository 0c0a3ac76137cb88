%LAYEREDPICK  Stratified resampling of particle weights.
%
%   IDX = layeredpick(W) returns 1-based particle indices in an array the size of the first two
%   dimensions of W (N elements, W's weights taken in column-major order; W need not sum to
%   one), in nondecreasing order. With S(i) the running sum of the expected counts
%   (W(j) / sum(W(:))) * N over j <= i, slot p (0-based) receives the particle i with
%   S(i-1) < p + U(p+1) <= S(i): every slot draws from its own stratum of width one, and a
%   uniform landing exactly on a boundary selects the lower particle. The computation is the
%   running one: acc gathers expected counts; whole units of acc fill slots without looking
%   at their uniforms; what is left fills the next slot when its uniform is <= acc.
%
%   Random numbers: exactly one call rand(size(W, 1), size(W, 2)), made first, whatever the
%   weights; uniform p+1 belongs to slot p, and the uniforms of slots filled outright are
%   drawn but not read.
%
%   Arguments:
%     W   real numeric or logical, any class (converted to double); dimensions beyond the
%         second are ignored. Values are not checked:
%         - all weights 0 (or any NaN or infinite weight, which makes acc NaN): the slots from
%           there on are not filled and keep 0; all-zero weights give all zeros;
%         - rounding can leave the last slot unfilled, holding 0, when the final running sum
%           falls just short of N and its uniform is above what is left;
%         - negative weights can ask for more slots than remain: slots stop when the result
%           is full, so nothing is written past it. Results for weights that do not overflow
%           are unchanged.
%         An empty W gives an empty result of its size and uses no random number; a W with no
%         elements whose first two dimensions are not 0 (2-by-3-by-0) gives a 0-by-0 result.
%
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:layeredpick:tooManyOutputs   Too many output arguments.
%     montemex:layeredpick:wrongInputCount  Wrong number of input arguments.
%     montemex:layeredpick:notRealNumeric   Arguments must be full real numeric or logical
%                                           arrays. (complex, sparse, char, cell and struct W)
%     montemex:layeredpick:tooLarge         This call needs 24 GB of memory at once, more than
%                                           the 22.7 GB a call may use here. (with the call's
%                                           own figures: see Limits below)
%     montemex:layeredpick:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                           requested. (what a rand of the user's, an m-file
%                                           that shadows it, returned: nothing, another class, a
%                                           complex or sparse array, another size ("rand
%                                           returned an array of class int8 where real doubles
%                                           were requested."); or numbers no sampler can use:
%                                           "rand returned a number outside the open interval
%                                           (0, 1).", "rand returned numbers that a rejection
%                                           loop rejected 10000 times in a row.")
%
%   Awkward weights: when every weight is finite but their sum overflows (W = [1e308 1e308
%   1e308]), they are scaled by a power of two first, so the result is what the same weights
%   scaled down give ([1 1 1] here). A total that is zero, NaN, infinite or negative gives the
%   result described above and the warning montemex:layeredpick:degenerateWeights, "The weights
%   do not have a positive finite total, so the result is no resample of them." (once per call;
%   warning("off", "montemex:layeredpick:degenerateWeights") turns it off). The warning comes
%   once the call has drawn its random numbers: made an error (warning("error", id)), it ends
%   the call with no result and the generator where the call would have left it. An expected
%   count that rounding leaves just below a whole number k (by at most N + 2 units of 2^-52,
%   relative: (1/49)*49 is 1 - 2^-53) counts as k, so equal weights keep their whole copies:
%   layeredpick(ones(1, N)) is 1:N for every N.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:layeredpick:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "layeredpick: failed to allocate N bytes of memory"
%   with an empty identifier). Ctrl-C ends a long call within a few milliseconds in Octave,
%   with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Memory: the N uniforms only, freed before the call returns; the expected counts are not
%   stored.
%
%   Legacy build: the same results as the current build; a NaN acc passes neither test there
%   either.
%
%   Example:
%     rand('state', 1);            % in MATLAB: rng(1)
%     idx = layeredpick([1 3])     % [1 2] or [2 2]
%
%   See also plainpick, remainderpick, fixedpick.

%!test
%! % Bit for bit against the host's stream: W = [1 3] has running sums [0.5 2], so slot 0 takes
%! % particle 1 when its uniform is <= 0.5 and slot 1 always particle 2; one rand the shape of
%! % W, and the generator left where that call leaves it.
%! rand ("state", 1); U = rand (1, 2); after = rand ("state");
%! rand ("state", 1); assert (layeredpick ([1 3]), [1 + (U(1) > 0.5), 2]);
%! assert (rand ("state"), after);
%! rand ("state", 1); assert (layeredpick (int8 ([1; 3])), [1 + (U(1) > 0.5); 2]);
%!test
%! % Seeded smoke test: indices are sorted, and every particle's count is within 2 of N*w.
%! rand ("state", 2);
%! w = rand (30, 50); w(w < 0.3) = 0;
%! idx = layeredpick (w);
%! assert (size (idx), [30 50]);
%! assert (issorted (idx(:)));
%! assert (all (abs (accumarray (idx(:), 1, [1500 1]) - 1500 * w(:) / sum (w(:))) < 2));
%!test
%! % Empty weights give an empty result of their size and use no random number; negative
%! % weights never write past the result.
%! before = rand ("state");
%! assert (size (layeredpick (zeros (0, 3))), [0 3]);
%! assert (size (layeredpick (zeros (2, 3, 0))), [0 0]);
%! assert (rand ("state"), before);
%! assert (layeredpick ([1 1 -1]), [1 1 1]);
%!warning id=montemex:layeredpick:degenerateWeights assert (layeredpick (zeros (2, 3)), zeros (2, 3));
%!error id=montemex:layeredpick:tooManyOutputs [a, b] = layeredpick (1)
%!error id=montemex:layeredpick:wrongInputCount layeredpick ()
%!error id=montemex:layeredpick:notRealNumeric layeredpick (struct ())

%!demo
%! % The four resamplers side by side on the same ten weights, 2000 times each: the mean number
%! % of copies of every particle and its variance, the noise a resampling step adds. plainpick
%! % draws every copy independently (variance N*w*(1-w)); remainderpick draws only the places
%! % left after floor(N*w) copies; layeredpick draws one uniform per place, each in its own
%! % stratum, so no count strays 2 or more from N*w; fixedpick draws nothing: always the same
%! % counts, no noise, but not N*w on average.
%! rand ("state", 1);
%! w = [0.02 0.03 0.05 0.05 0.1 0.1 0.15 0.15 0.15 0.2];
%! N = numel (w); runs = 2000;
%! printf ("%-25s%s\n", "N*w", sprintf ("%6.2f", N * w));
%! for name = {"plainpick", "remainderpick", "layeredpick", "fixedpick"}
%!   counts = zeros (runs, N);
%!   for r = 1:runs
%!     counts(r, :) = accumarray (feval (name{1}, w)', 1, [N 1]);
%!   end
%!   printf ("%-14s %10s%s\n", name{1}, "mean", sprintf ("%6.2f", mean (counts)));
%!   printf ("%-14s %10s%s   total %.2f\n", "", "variance", sprintf ("%6.2f", var (counts)), sum (var (counts)));
%! end
