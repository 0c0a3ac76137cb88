% Users can shadow rand, randn and sort with their own m-files, which may return anything. Every
% function must then end within a second with badHostResult, or with a result of its usual shape
% made of numbers it checked; Octave must survive every call, and once the shadows are gone the
% host's own functions are used again, exactly.
1;

function write_function (folder, name, body)
  fid = fopen (fullfile (folder, [name ".m"]), "w");
  fprintf (fid, "function r = %s (varargin)\n  %s\nend\n", name, body);
  fclose (fid);
end

% What the shadows return; "SIZE" stands for the requested size (1-by-1 without arguments).
requested = "if (nargin == 0), s = {1, 1}; else, s = varargin; end; ";
bodies = {"r = 0.5;", "r = {0.5};", "r = \"x\";", "r = int8 (1);", [requested "r = single (0.5 * ones (s{:}));"], ...
          "r = 0.5 * ones (1000, 1000);", [requested "r = complex (0.5 * ones (s{:}), 1);"], ...
          [requested "r = sparse (0.5 * ones (s{:}));"], "r = [];"};
for value = {0, 1, 2, -1, NaN, Inf, 0.5, 0.999}
  bodies{end + 1} = sprintf ("%s r = %.17g * ones (s{:});", requested, value{1});
end
sort_bodies = {"r = 1;", "r = {1};", "r = int8 (varargin{1});", "r = [varargin{1}(:); 0];", "r = varargin{1};"};

calls = {{"shapedraw", 3, 8, 2, 3}, {"shapedraw", 3, 0.5, 2, 3}, {"recipshapedraw", 2, 10, 3, 1}, ...
         {"shapedrawone", 3, 8}, {"recipshapedrawone", 2, 1}, {"studentdraw", 5, 2, 2}, ...
         {"studentdraw", 1, 2, 2}, {"studentdraw", 2, 1, 3}, {"waitdraw", 2, 3, 4}, {"simplexdraw", 3, 2}, ...
         {"classdraw", [1 2 3.5], 3, 2}, {"scalehyperdraw", 1, 1, 1, 1, 1}, {"plainpick", [1 2 3.5]}, ...
         {"remainderpick", [1 2 3.5]}, {"layeredpick", [1 2 3.5]}, {"weightavgdraw", [1; 2; 3], 2}, ...
         {"weightquantdraw", [1; 2; 3], [10 90], 2}};
shapes = cell (size (calls));
for c = 1:numel (calls)
  shapes{c} = size (feval (calls{c}{:}));
end

root = tempname ();
mkdir (root);
confirm_recursive_rmdir (false);
cleanup = onCleanup (@() rmdir (root, "s"));
outcomes = 0;
slowest = {0, ""};
for target = {"rand", "randn", "sort"}
  list = bodies;
  if (strcmp (target{1}, "sort"))
    list = sort_bodies;
  end
  for b = 1:numel (list)
    folder = fullfile (root, sprintf ("%s%d", target{1}, b));
    mkdir (folder);
    write_function (folder, target{1}, list{b});
    addpath (folder);
    for c = 1:numel (calls)
      name = calls{c}{1};
      t = tic ();
      try
        r = feval (calls{c}{:});
        assert (isequal (size (r), shapes{c}), "%s with %s: %s gave a result of another shape", ...
                name, target{1}, list{b});
      catch err
        assert (strcmp (err.identifier, ["montemex:" name ":badHostResult"]) || ...
                (strcmp (target{1}, "sort") && b == 5), ...
                "%s with %s: %s raised %s: %s", name, target{1}, list{b}, err.identifier, err.message);
      end
      % A call that never ends meets ctest's limit; the slowest is reported, not held to a time.
      if (toc (t) > slowest{1})
        slowest = {toc(t), sprintf("%s with %s: %s", name, target{1}, list{b})};
      end
      outcomes++;
    end
    rmpath (folder);
  end
end
% A sort that returns descending order is caught too: weightquantdraw's percentiles stay inside
% the data with the host's own sort.
X = sort (-1.2 + 3.2 * rand (50, 1));
folder = fullfile (root, "sortdescend");
mkdir (folder);
write_function (folder, "sort", "r = builtin (\"sort\", varargin{1}, \"descend\");");
addpath (folder);
try
  weightquantdraw (X, [5 50 95], 2);
  error ("a descending sort was not caught");
catch err
  assert (err.identifier, "montemex:weightquantdraw:badHostResult");
end
rmpath (folder);
Q = weightquantdraw (X, [5 50 95], 200);
assert (all (Q(:) >= X(1) & Q(:) <= X(end)));
printf ("%d calls with shadowed rand, randn and sort ended; the slowest took %.2f s (%s)\n", ...
        outcomes, slowest{:});

% The shadows are gone: the host's own generator is used, exactly.
rand ("state", 7); expected = -log (rand (3, 4));
rand ("state", 7); assert (isequal (waitdraw (1, 3, 4), expected));

% Arrays whose first two dimensions promise values they do not hold give empty results.
assert (isempty (psivalue (zeros (1000, 1000, 0))));
assert (isempty (squashfn (single (zeros (3000, 3000, 0)))));
assert (size (squashfn (zeros (2, 3, 0))), [0 0]);
