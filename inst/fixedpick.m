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
%   Random numbers: none. The same W always gives the same result, and the host's generator is
%   not touched.
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
%
%   Memory: none besides the result; the expected counts are not stored.
%
%   Legacy build: a NaN expected count counts as reaching 1 at both tests: it gives no whole
%   copies (a NaN is never converted to an integer) but one extra copy, and every particle
%   after it also gets one (the running sum stays NaN) while slots remain. All-zero weights
%   give 1, 2, ..., N (the current build gives all zeros).
%
%   Example:
%     idx = fixedpick([1 2 1]);   % [1 2 3]
%
%   See also plainpick, remainderpick, layeredpick.
