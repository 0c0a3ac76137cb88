function test_parallel_chains ()
  % The chains of demo/parallel_chains.m, each seeded inside its task from (master seed, chain
  % index), are the same bit for bit run one after another with cellfun and with parcellfun on
  % 1 and 2 worker processes; two chains from the same start differ.
  try
    pkg load parallel;
  catch
    printf ("skipped: the parallel package is not installed (Debian: octave-parallel)\n");
    return;
  end
  addpath (fullfile (fileparts (mfilename ("fullpath")), "..", "..", "demo"));
  rand ("state", 7); randn ("state", 7);
  y = hierarchical_data ();
  starts = [1 1 0.01 100 10];          % more chains than workers
  chain_k = @(k) gibbs_chain (2026, k, y, 200, starts(k));
  tasks = num2cell (1:numel (starts));
  sequential = cellfun (chain_k, tasks, "UniformOutput", false);
  assert (! isequal (sequential{1}, sequential{2}), "chains 1 and 2 drew the same numbers");
  unwind_protect
    for workers = [1 2]
      parallel = parcellfun (workers, chain_k, tasks, "UniformOutput", false, "VerboseLevel", 0);
      assert (isequal (parallel, sequential), "%d worker(s): the chains differ from cellfun's", workers);
      printf ("%d worker(s): %d chains identical to cellfun's\n", workers, numel (tasks));
    end
  unwind_protect_cleanup
    parcellfun_set_nproc (0);
  end_unwind_protect
end
