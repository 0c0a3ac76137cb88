%REMAINDERPICK  Residual resampling of particle weights.
%
%   IDX = remainderpick(W) returns 1-based particle indices in an array the size of the first
%   two dimensions of W (N elements, W's weights taken in column-major order; W need not sum to
%   one). Particle i has the expected count E(i) = (W(i) / sum(W(:))) * N, the quotient formed
%   first. It receives floor(E(i)) copies outright; the R places still free are then drawn by
%   simple resampling over the fractional remainders.
%
%   Order of the result: first all outright copies, grouped by particle in ascending order,
%   then the R drawn indices in the order of their uniforms. The result is not sorted.
%
%   Random numbers: exactly one call rand(R, 1), made even when R is 0 (then no number is
%   used). R = N - sum(floor(E)) depends on the weights only. The drawn part uses the
%   remainders divided by R, summed into a cumulative table whose last entry is set to 1;
%   uniform j becomes the first i whose entry is >= it (a uniform equal to a cumulative value
%   selects that entry; a remainder of 0 is never drawn).
%
%   Arguments:
%     W   real numeric or logical, any class (converted to double); dimensions beyond the
%         second are ignored. Values are not checked:
%         - all weights 0: every element is 2 (1 when W has one element), and N uniforms are
%           used;
%         - negative weights can ask for more than N outright copies: copies stop when the
%           result is full, so the result always holds exactly N indices from 1 to N, and
%           then no uniform is used. Results for weights that do not overflow are unchanged;
%         - NaN or infinite weights give NaN expected counts, which receive no outright copy
%           (a NaN is never converted to an integer); every element is still an index.
%         An empty W gives an empty result of its size, calls rand(0, 1) and uses no random
%         number; a W with no elements whose first two dimensions are not 0 (2-by-3-by-0)
%         gives a 0-by-0 result.
%
%   Errors (identifier, message), all but badHostResult raised before any random number is drawn:
%     montemex:remainderpick:tooManyOutputs   Too many output arguments.
%     montemex:remainderpick:wrongInputCount  Wrong number of input arguments.
%     montemex:remainderpick:notRealNumeric   Arguments must be full real numeric or logical
%                                             arrays. (complex, sparse, char, cell and struct W)
%     montemex:remainderpick:tooLarge         This call needs 24 GB of memory at once, more than
%                                             the 22.7 GB a call may use here. (with the call's
%                                             own figures: see Limits below)
%     montemex:remainderpick:badHostResult    rand returned a 1-by-1 array where 3-by-4 was
%                                             requested. (what a rand of the user's, an m-file
%                                             that shadows it, returned: nothing, another class,
%                                             a complex or sparse array, another size ("rand
%                                             returned an array of class int8 where real doubles
%                                             were requested."); or numbers no sampler can use:
%                                             "rand returned a number outside the open interval
%                                             (0, 1).", "rand returned numbers that a rejection
%                                             loop rejected 10000 times in a row.")
%
%   Awkward weights: when every weight is finite but their sum overflows (W = [1e308 1e308
%   1e308]), they are scaled by a power of two first, so the result is what the same weights
%   scaled down give ([1 1 1] here). A total that is zero, NaN, infinite or negative gives the
%   result described above and the warning montemex:remainderpick:degenerateWeights, "The
%   weights do not have a positive finite total, so the result is no resample of them." (once
%   per call; warning("off", "montemex:remainderpick:degenerateWeights") turns it off). The
%   warning comes once the call has drawn its random numbers: made an error (warning("error",
%   id)), it ends the call with no result and the generator where the call would have left it.
%   An expected count that rounding leaves just below a whole number k (by at most N + 2 units
%   of 2^-52, relative: (1/49)*49 is 1 - 2^-53) counts as k, so equal weights keep their whole
%   copies: remainderpick(ones(1, N)) is 1:N for every N.
%
%   Limits: before it creates anything or draws, a call adds up the memory it will hold at once
%   (its result, scratch, converted copies of arguments, blocks of random numbers) and refuses
%   with tooLarge what exceeds 90 percent of the machine's memory (2 GB in a 32-bit process);
%   the environment variable MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive
%   number of bytes written as digits with an optional fraction and exponent and nothing else
%   (4e9, 2.5e9, 4000000000); any other value is ignored with the warning
%   montemex:remainderpick:memoryLimit, which names it and the default that applies, before
%   anything is drawn, once per value while the function stays loaded. A smaller request the
%   host still cannot serve ends with the host's own error (Octave: "out of memory or dimension
%   too large for Octave's index type", or "remainderpick: failed to allocate N bytes of
%   memory" with an empty identifier). Ctrl-C ends a long call within a few milliseconds in
%   Octave, with no result; the generators have then moved on by what was drawn, so reseed to
%   reproduce.
%
%   Memory: a table of N doubles, the R uniforms, and (N above 32, R at least N/64) a guide of at
%   most N 4-byte entries (half the table); all are freed before the call returns. The guide
%   finds the same index as the bisection, with one or two reads instead of log2(N).
%
%   Legacy build: a NaN expected count passes the "at least 1" test but gives no copies, and the
%   search counts a NaN table entry as below the uniform, so all-zero weights give N in every
%   element (the current build gives 2).
%
%   Example:
%     rand('state', 1);             % in MATLAB: rng(1)
%     idx = remainderpick([1 1 2])  % 3 first, then two drawn indices
%
%   See also plainpick, layeredpick, fixedpick.

%!test
%! % Bit for bit against the host's stream: W = [1 1 2] has expected counts [0.75 0.75 1.5],
%! % so particle 3 gets one copy outright and the two left are drawn from the residuals
%! % [0.375 0.375 0.25] (table [0.375 0.75 1]) with rand (2, 1); the generator is left there.
%! rand ("state", 1); U = rand (2, 1)'; after = rand ("state");
%! rand ("state", 1); assert (remainderpick ([1 1 2]), [3, 1 + (U > 0.375) + (U > 0.75)]);
%! assert (rand ("state"), after);
%!test
%! % Equal weights need no draw, whatever rounding does to N*w; empty weights give an empty
%! % result of their size.
%! before = rand ("state");
%! assert (remainderpick ([1 1; 1 1]), [1 3; 2 4]);
%! assert (remainderpick (ones (1, 49)), 1:49);
%! assert (remainderpick ([1 1 -1]), [1 1 1]);
%! assert (size (remainderpick (zeros (0, 3))), [0 3]);
%! assert (size (remainderpick (zeros (2, 3, 0))), [0 0]);
%! assert (rand ("state"), before);
%!warning id=montemex:remainderpick:degenerateWeights assert (remainderpick (zeros (2, 3)), 2 * ones (2, 3));
%!error id=montemex:remainderpick:tooManyOutputs [a, b] = remainderpick (1)
%!error id=montemex:remainderpick:wrongInputCount remainderpick ()
%!error id=montemex:remainderpick:notRealNumeric remainderpick ({1})

%!demo
%! % Residual resampling: floor (N*w) copies of each particle outright (here particle 4 once
%! % and particle 5 twice, the first three places), then the places left drawn from what
%! % remains; only those vary from run to run (see "demo layeredpick" for the four resamplers
%! % side by side).
%! rand ("state", 1);
%! w = [0.05 0.05 0.1 0.3 0.5];
%! for run = 1:3
%!   printf ("run %d: %s\n", run, sprintf ("%3d", remainderpick (w)));
%! end
