function [largest, text] = largestunit()
% The largest unit index the host's seeding tells apart, and as written in messages: Octave's
% rand('state', v) saturates each element of v at 4294967295; MATLAB's substreams go to 2^53.
if exist('OCTAVE_VERSION', 'builtin') ~= 0
    [largest, text] = deal(4294967295, '4294967295');
else
    [largest, text] = deal(2^53, '2^53');
end
end
