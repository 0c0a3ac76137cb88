%FIXEDPICK  Deterministic resampling of particle weights, without random numbers.
%
%   IDX = fixedpick(W) returns 1-based particle indices in an array the size of the first two
%   dimensions of W (N elements, W's weights taken in column-major order; W need not sum to
%   one), in nondecreasing order. Particle i has the expected count
%   E(i) = (W(i) / sum(W(:))) * N, the quotient formed first, and receives floor(E(i)) copies;
%   the fractional remainders are then resampled systematically with the offset 0.5: a running
%   sum started at 0.5 gives particle i one more copy when adding its remainder brings the sum
%   to 1 or above (then the sum drops by 1). Each particle's copies are contiguous.
%
%   Random numbers: none. The same W always gives the same result, and the host's generators are
%   left alone: the one host function a call may use is an empty mexEvalString every few
%   milliseconds of a long call, which lets the host act on Ctrl-C.
%
%   Arguments:
%     W   real numeric or logical, any class (converted to double); dimensions beyond the
%         second are ignored. Values are not checked:
%         - all weights 0 (or NaN or infinite weights, which give NaN expected counts): those
%           particles receive nothing, and slots left over keep 0; all-zero weights give all
%           zeros;
%         - negative weights can ask for more than N copies: copies stop when the result is
%           full, so nothing is written past it. Results for weights that do not overflow are
%           unchanged.
%         An empty W gives an empty result of its size; a W with no elements whose first two
%         dimensions are not 0 (2-by-3-by-0) gives a 0-by-0 result.
%
%   Errors (identifier, message):
%     montemex:fixedpick:tooManyOutputs   Too many output arguments.
%     montemex:fixedpick:wrongInputCount  Wrong number of input arguments.
%     montemex:fixedpick:notRealNumeric   Arguments must be full real numeric or logical arrays.
%                                         (complex, sparse, char, cell and struct W)
%     montemex:fixedpick:tooLarge         This call needs 24 GB of memory at once, more than the
%                                         22.7 GB a call may use here. (with the call's own
%                                         figures: see Limits below)
%
%   Awkward weights: when every weight is finite but their sum overflows (W = [1e308 1e308
%   1e308]), they are scaled by a power of two first, so the result is what the same weights
%   scaled down give ([1 1 1] here). A total that is zero, NaN, infinite or negative gives the
%   result described above and the warning montemex:fixedpick:degenerateWeights, "The weights
%   do not have a positive finite total, so the result is no resample of them." (once per call;
%   warning("off", "montemex:fixedpick:degenerateWeights") turns it off). Made an error
%   (warning("error", id)), the warning ends the call with no result (fixedpick draws no random
%   numbers). An expected count that rounding leaves just below a whole number k (by at most
%   N + 2 units of 2^-52, relative: (1/49)*49 is 1 - 2^-53) counts as k, so equal weights keep
%   their whole copies: fixedpick(ones(1, N)) is 1:N for every N.
%
%   Limits: before it creates anything, a call adds up the memory it will hold at once (its
%   result, scratch, converted copies of arguments) and refuses with tooLarge what exceeds 90
%   percent of the machine's memory (2 GB in a 32-bit process); the environment variable
%   MONTEMEX_MEMORY_LIMIT replaces that limit when it is a positive number of bytes written as
%   digits with an optional fraction and exponent and nothing else (4e9, 2.5e9, 4000000000); any
%   other value is ignored with the warning montemex:fixedpick:memoryLimit, which names it and
%   the default that applies, at the start of the call, once per value while the function stays
%   loaded. A smaller request the host still cannot serve ends with the host's own error
%   (Octave: "out of memory or dimension too large for Octave's index type", or "fixedpick:
%   failed to allocate N bytes of memory" with an empty identifier). Ctrl-C ends a long call
%   within a few milliseconds in Octave, with no result.
%
%   Memory: none besides the result; the expected counts are not stored.
%
%   Legacy build: a NaN expected count counts as reaching 1 at both tests: it gives no whole
%   copies (a NaN is never converted to an integer) but one extra copy, and every particle
%   after it also gets one (the running sum stays NaN) while slots remain. All-zero weights
%   give 1, 2, ..., N (the current build gives all zeros).
%
%   Example:
%     idx = fixedpick([1 2 1])    % [1 2 3]
%
%   See also plainpick, remainderpick, layeredpick.

%!test
%! % Whole copies of N*w first, remainders by a running sum started at 0.5: [1 3] has expected
%! % counts [0.5 1.5] and gives [1 2]; no random number is used.
%! before = rand ("state");
%! assert (fixedpick ([1 3]), [1 2]);
%! assert (fixedpick ([1 2 1]), [1 2 3]);
%! assert (fixedpick (int8 ([3; 1])), [1; 1]);
%! assert (fixedpick (ones (7)), reshape (1:49, 7, 7));
%! assert (fixedpick ([1 1 -1]), [1 1 1]);
%! assert (size (fixedpick (zeros (0, 3))), [0 3]);
%! assert (size (fixedpick (zeros (2, 3, 0))), [0 0]);
%! assert (rand ("state"), before);
%!warning id=montemex:fixedpick:degenerateWeights fixedpick (zeros (2, 3));
%!error id=montemex:fixedpick:tooManyOutputs [a, b] = fixedpick (1)
%!error id=montemex:fixedpick:wrongInputCount fixedpick ()
%!error id=montemex:fixedpick:notRealNumeric fixedpick (sparse ([1 2]))

%!demo
%! % Deterministic resampling: the same weights always give the same indices; each count is
%! % floor (N*w) or one more (see "demo layeredpick" for the four resamplers side by side).
%! w = [0.05 0.05 0.1 0.3 0.5];
%! printf ("expected N*w: %s\n", sprintf ("%5.2f", numel (w) * w));
%! printf ("counts:       %s\n", sprintf ("%5d", accumarray (fixedpick (w)', 1, [5 1])));
