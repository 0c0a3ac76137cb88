% Warnings inside Octave. A warning about the arguments comes once the call has drawn its random
% numbers, so one made an error (warning("error", id)) ends the call with the generator where
% the call leaves it. An unreadable MONTEMEX_MEMORY_LIMIT is ignored with a warning, once per
% value, and the default limit applies.
1;

calls = {{"degenerateWeights", "plainpick", [0 0 0]}, {"degenerateWeights", "layeredpick", [0 0 0]}, ...
         {"degenerateWeights", "remainderpick", [0 0 0]}, {"degenerateWeights", "fixedpick", [0 0 0]}, ...
         {"degenerateWeights", "classdraw", [0 0 0], 3}, {"unsortedX", "weightquantdraw", [3; 1; 2; 0], [5 95], 3}, ...
         {"oneRow", "weightquantdraw", [1 2 3], 50, 3}, {"percentRange", "weightquantdraw", [1; 2], [50 101], 3}, ...
         {"oneRow", "weightavgdraw", [1 2 3], 3}};
for c = 1:numel (calls)
  [reason, name] = calls{c}{1:2};
  call = calls{c}(2:end);
  id = ["montemex:" name ":" reason];
  warning ("off", id);
  rand ("state", 5); feval (call{:}); after = rand ("state");
  warning ("error", id);
  rand ("state", 5);
  try
    feval (call{:});
    error ("%s: the warning made an error did not end the call", name);
  catch err
    assert (err.identifier, id);
  end
  assert (isequal (rand ("state"), after), "%s: the generator moved otherwise", name);
  warning ("on", id);
end

setenv ("MONTEMEX_MEMORY_LIMIT", "5000abc");  % once read as 5000 bytes
lastwarn ("");
assert (size (waitdraw (1, 1000, 1000)), [1000 1000]);
[message, id] = lastwarn ();
assert (id, "montemex:waitdraw:memoryLimit");
assert (index (message, "waitdraw: MONTEMEX_MEMORY_LIMIT is \"5000abc\", not a positive number of bytes") == 1);
lastwarn ("");
waitdraw (1, 1000, 1000);
assert (lastwarn (), "");
setenv ("MONTEMEX_MEMORY_LIMIT", "4e6");
try
  waitdraw (1, 1000, 1000);
  error ("a limit of 4e6 bytes did not refuse 8 MB");
catch err
  assert (err.identifier, "montemex:waitdraw:tooLarge");
  assert (! isempty (strfind (err.message, "more than the 0.004 GB")), err.message);
end
unsetenv ("MONTEMEX_MEMORY_LIMIT");
