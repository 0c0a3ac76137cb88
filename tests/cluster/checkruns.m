function checkruns(work, units, placements, lost)
% CHECKRUNS  The checks of tests/cluster/run.sh after its runs: every run in the folder WORK
% (WORK/<run>/results) holds all UNITS chains, each the same bit for bit as the serial run's
% (WORK/serial/results); the nodes each run's results record are as PLACEMENTS says (a struct:
% run name, then the nodes, e.g. placements.n1 = {'n1'}); and the units LOST (their node n1 was
% lost) ran to the end on n2.
reference = unitgather(fullfile(work, 'serial', 'results'), units);
runs = [fieldnames(placements); {'killed'; 'lost'}];
for i = 1:numel(runs)
  folder = fullfile(work, runs{i}, 'results');
  [got, missing, failed] = unitgather(folder, units);
  assert(isempty(missing) && isempty(failed), 'run %s is not complete', runs{i});
  assert(isequal(got, reference), 'run %s differs from the serial run', runs{i});
  nodes = arrayfun(@(k) recorded_node(folder, k), 1:units, 'UniformOutput', false);
  if isfield(placements, runs{i})
    assert(isequal(unique(nodes), placements.(runs{i})), 'run %s ran on %s', runs{i}, strjoin(unique(nodes)));
  end
  printf('%s: %d chains identical to the serial run, run on %s\n', runs{i}, units, strjoin(unique(nodes), ' and '));
end
for k = lost
  node = recorded_node(fullfile(work, 'lost', 'results'), k);
  assert(strcmp(node, 'n2'), 'unit %d, on n1 when it was lost, ended on %s', k, node);
end
end

function node = recorded_node(folder, k)
saved = load(fullfile(folder, sprintf('unit%d.mat', k)));
node = saved.unit.node;
end
