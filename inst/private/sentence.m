function text = sentence(reason)
%SENTENCE  A system's or host's reason, to end a message of ours: without its own full stop.
text = regexprep(reason, '\.$', '');
end
