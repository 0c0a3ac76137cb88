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
%   GNU Octave:  rand('state', [MASTER, K, 1]); randn('state', [MASTER, K, 2]);
%   The two generators get different seeds: they are two copies of the same generator, and
%   seeded alike they would run through the same numbers. Octave turns each element of the
%   state vector into a 32-bit number, and every element past 4294967295 becomes 4294967295:
%   K is therefore at most 4294967295 in Octave (larger ones would all draw the same numbers).
%
%   MATLAB:  s = RandStream('mrg32k3a', 'Seed', MASTER); s.Substream = K;
%            RandStream.setGlobalStream(s);
%   rand and randn both draw from this stream. Substreams are far apart, so units never
%   overlap; K goes up to 2^53 there (MATLAB raises its own error for a substream past the
%   generator's).
%
%   Octave and MATLAB give different numbers; each gives the same numbers every time. To
%   seed one process without units, rand('state', S); randn('state', S) in Octave is
%   rng(S) in MATLAB; with units, seed each one with unitseed instead.
%
%   Arguments:
%     MASTER  the master seed of the run, a whole number from 0 to 4294967295, real numeric
%             of any class.
%     K       the unit's index, a whole number from 1 to 4294967295 in Octave and to 2^53 in
%             MATLAB, real numeric of any class.
%
%   Errors (identifier, message):
%     montemex:unitseed:wrongInputCount  Wrong number of input arguments.
%     montemex:unitseed:badSeed          The master seed must be a whole number from 0 to
%                                        4294967295.
%     montemex:unitseed:badIndex         The unit index must be a whole number from 1 to
%                                        4294967295. (2^53 in MATLAB)
%
%   Example:
%     unitseed(2026, 3); a = waitdraw(1, 1, 4)
%     unitseed(2026, 3); b = waitdraw(1, 1, 4)   % the same four numbers again
%     unitseed(2026, 4); c = waitdraw(1, 1, 4)   % unit 4: other numbers
%
%   See also unitrun, unitgather, unittask, rand, randn.

if nargin ~= 2
    error('montemex:unitseed:wrongInputCount', 'Wrong number of input arguments.');
end
if ~iswhole(master) || master < 0 || master > 4294967295
    error('montemex:unitseed:badSeed', 'The master seed must be a whole number from 0 to 4294967295.');
end
octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
[largest, largestText] = largestunit();
if ~iswhole(k) || k < 1 || k > largest
    error('montemex:unitseed:badIndex', 'The unit index must be a whole number from 1 to %s.', largestText);
end
master = double(master);
k = double(k);
if octave
    rand('state', [master, k, 1]);
    randn('state', [master, k, 2]);
else
    stream = RandStream('mrg32k3a', 'Seed', master);
    stream.Substream = k;
    RandStream.setGlobalStream(stream);
end
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
%! % The largest index is a seed of its own; the one past it would draw the same numbers.
%! unitseed(2026, 4294967294);
%! b = rand(1, 3);
%! unitseed(2026, 4294967295);
%! assert(rand(1, 3) ~= b);
%!error <Wrong number of input arguments> unitseed(1)
%!error <master seed must be> unitseed(-1, 1)
%!error <master seed must be> unitseed(2^32, 1)
%!error <master seed must be> unitseed([1 2], 1)
%!error <unit index must be> unitseed(1, 0)
%!error <unit index must be> unitseed(1, 2.5)
%!error <unit index must be> unitseed(1, NaN)
%!error <unit index must be> unitseed(1, '1')
%!error <unit index must be a whole number from 1 to 4294967295\.> unitseed(1, 2^32)
%!error <unit index must be> unitseed(1, 2^53)
