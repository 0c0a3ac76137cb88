function checkruns(work, master, units, placements, lost, many, sample)
% CHECKRUNS  The checks of tests/cluster/run.sh after its runs. Every run in the folder WORK
% (WORK/<run>/results) holds all UNITS chains of master seed MASTER, each the same bit for bit
% as the serial run's (WORK/serial/results); the nodes each run's results record are as
% PLACEMENTS says (a struct: run name, then the nodes, e.g. placements.n1 = {'n1'}); the units
% LOST (their node n1 was lost) ran to the end on n2. The run "many" holds all MANY of its
% short chains, and those in SAMPLE are the same bit for bit as run one after another here.
reference = unitgather(fullfile(work, 'serial', 'results'), master, units);
runs = [fieldnames(placements); {'lost'}];
for i = 1:numel(runs)
  folder = fullfile(work, runs{i}, 'results');
  [got, missing, failed, rejected] = unitgather(folder, master, units);
  assert(isempty([missing, failed, rejected]), 'run %s is not complete', runs{i});
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
[got, missing, failed, rejected] = unitgather(fullfile(work, 'many', 'results'), master, many);
assert(isempty([missing, failed, rejected]), 'run many is not complete');
evalc('serial = unitrun(fullfile(work, ''serial-many''), master, sample, @testunit);');
assert(isequal(got(sample), serial), 'run many differs from the serial run');
printf('many: %d short chains; %d of them identical to the serial run\n', many, numel(sample));
end

function node = recorded_node(folder, k)
saved = load(fullfile(folder, sprintf('unit%d.mat', k)));
node = saved.unit.node;
end
