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
%   Errors (identifier, message), all raised before any random number is drawn:
%     montemex:layeredpick:tooManyOutputs   Too many output arguments.
%     montemex:layeredpick:wrongInputCount  Wrong number of input arguments.
%     montemex:layeredpick:notRealNumeric   Arguments must be full real numeric or logical
%                                           arrays. (complex, sparse, char, cell and struct W)
%
%   Memory: the N uniforms only, freed before the call returns; the expected counts are not
%   stored.
%
%   Legacy build: the same results as the current build; a NaN acc passes neither test there
%   either.
%
%   Example:
%     rand("state", 1); idx = layeredpick([1 3]);   % [1 2] or [2 2]
%
%   See also plainpick, remainderpick, fixedpick.
