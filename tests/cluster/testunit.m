function chain = testunit(k)
% TESTUNIT  The demo's chain (chainunit), which the cluster test can hold or make fail: with the
% folder TESTUNIT_CONTROL holding the file hold<k>, unit k writes started<k> there (its process
% id and node) and waits until hold<k> is gone (at most 120 s); with fail<k> there, it fails.
% TESTUNIT_SWEEPS, when set, is the chain's number of sweeps (chainunit's 2000 otherwise).
control = getenv('TESTUNIT_CONTROL');
hold = fullfile(control, sprintf('hold%d', k));
if exist(hold, 'file')
  marker = fullfile(control, sprintf('started%d', k));
  file = fopen([marker '.part'], 'w');
  fprintf(file, '%d %s\n', getpid(), getenv('SLURMD_NODENAME'));
  fclose(file);
  rename([marker '.part'], marker);
  waited = tic;
  while exist(hold, 'file') && toc(waited) < 120
    pause(0.1);
  end
end
if exist(fullfile(control, sprintf('fail%d', k)), 'file')
  error('testunit:planned', 'Planned failure in unit %d.', k);
end
sweeps = str2double(getenv('TESTUNIT_SWEEPS'));
if isnan(sweeps)
  sweeps = 2000;
end
chain = chainunit(k, sweeps);
end
