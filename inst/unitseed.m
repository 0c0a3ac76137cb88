function unitseed(master, k)
%UNITSEED  Seed the host's generators for unit K of a run with one master seed.
%
%   unitseed(MASTER, K) seeds the generators that rand and randn draw from, and with them
%   every montemex function, from the master seed MASTER of a run and the index K of one of
%   its units of work (an MCMC chain, a block of bootstrap draws, a particle filter run). A
%   unit that calls unitseed at its start and then draws only from these generators gives
%   the same numbers whichever process runs it, in whatever order, after whatever ran there
%   before: on one machine with parcellfun, on a cluster as a task of a job array, or one
%   after another in a loop. unitrun calls it before each unit.
%
%   GNU Octave: rand("state", [MASTER, K, 1]) and randn("state", [MASTER, K, 2]). The two
%   generators get different seeds: they are two copies of the same generator, and seeded
%   alike they would run through the same numbers.
%
%   MATLAB: the global stream becomes an mrg32k3a stream with seed MASTER, at its substream
%   K (RandStream('mrg32k3a', 'Seed', MASTER) with Substream = K, made the global stream);
%   rand and randn both draw from it. Substreams are far apart, so units never overlap.
%   Octave and MATLAB give different numbers; each gives the same numbers every time.
%
%   Arguments:
%     MASTER  the master seed of the run, a whole number from 0 to 4294967295, real numeric
%             of any class.
%     K       the unit's index, a whole number from 1 to 2^53, real numeric of any class.
%
%   Errors (identifier, message):
%     montemex:unitseed:wrongInputCount  Wrong number of input arguments.
%     montemex:unitseed:badSeed          The master seed must be a whole number from 0 to
%                                        4294967295.
%     montemex:unitseed:badIndex         The unit index must be a whole number from 1 to 2^53.
%
%   Example:
%     unitseed(2026, 3); a = waitdraw(1, 1, 4);
%     unitseed(2026, 3); b = waitdraw(1, 1, 4);   % a and b are equal
%
%   See also unitrun, unitgather, rand, randn.

if nargin ~= 2
    error('montemex:unitseed:wrongInputCount', 'Wrong number of input arguments.');
end
if ~iswhole(master) || master < 0 || master > 4294967295
    error('montemex:unitseed:badSeed', 'The master seed must be a whole number from 0 to 4294967295.');
end
if ~iswhole(k) || k < 1 || k > 2^53
    error('montemex:unitseed:badIndex', 'The unit index must be a whole number from 1 to 2^53.');
end
master = double(master);
k = double(k);
if exist('OCTAVE_VERSION', 'builtin')
    rand('state', [master, k, 1]);
    randn('state', [master, k, 2]);
else
    stream = RandStream('mrg32k3a', 'Seed', master);
    stream.Substream = k;
    RandStream.setGlobalStream(stream);
end
end

function ok = iswhole(x)
% A real numeric scalar with a whole value.
ok = isnumeric(x) && isscalar(x) && isreal(x) && ~issparse(x) && isfinite(x) && x == fix(x);
end

%!test
%! unitseed(2026, 3);
%! a = [rand(1, 3), randn(1, 2)];
%! rand(7); randn(5);
%! unitseed(uint16(2026), int8(3));
%! assert([rand(1, 3), randn(1, 2)], a);
%! rand('state', [2026, 3, 1]); randn('state', [2026, 3, 2]);
%! assert([rand(1, 3), randn(1, 2)], a);
%! unitseed(2026, 4);
%! assert(rand(1, 3) ~= a(1:3));
%!error <Wrong number of input arguments> unitseed(1)
%!error <master seed must be> unitseed(-1, 1)
%!error <master seed must be> unitseed(2^32, 1)
%!error <master seed must be> unitseed([1 2], 1)
%!error <unit index must be> unitseed(1, 0)
%!error <unit index must be> unitseed(1, 2.5)
%!error <unit index must be> unitseed(1, NaN)
%!error <unit index must be> unitseed(1, '1')
