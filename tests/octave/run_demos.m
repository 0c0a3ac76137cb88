function run_demos (files)
  % RUN_DEMOS  Run every %!demo block of the given help files (names or paths) as "demo" does,
  % with figures drawn off screen, printing what each prints; fail if any block fails.
  addpath (fullfile (fileparts (mfilename ("fullpath")), "..", "..", "demo"));
  headless_plots ();
  set (0, "defaultfigurevisible", "off");
  ran = 0;
  for k = 1:numel (files)
    [~, blocks] = test (files{k}, "grabdemo");
    for b = 1:numel (blocks) - 1
      started = tic ();
      output = evalc ("demo (files{k}, b)");
      printf ("%s(%.1f s)\n", output, toc (started));
      assert (isempty (strfind (output, sprintf ("example %d: failed", b))), "demo %d of %s failed", b, files{k});
      ran++;
    end
  end
  close all;
  printf ("%d demos ran\n", ran);
end
