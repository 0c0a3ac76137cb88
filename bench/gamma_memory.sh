#!/usr/bin/env bash
# Peak resident memory of Octave drawing value by value with the gamma family and studentdraw,
# for results of 1e6 (8 MB) and 1e7 (80 MB) elements, next to Octave drawing the same with randg
# and to Octave doing nothing. A module holds at most the result and one 2 MB block of reserved
# uniforms; Octave copies a module's result once more on return. Run by hand after a build.
set -euo pipefail
cd "$(dirname "$0")/.."
peak() {
  /usr/bin/time -v octave --no-gui --norc --quiet --eval "addpath('build/octave'); $1" 2>&1 >/dev/null |
    sed -n 's/.*Maximum resident set size (kbytes): //p'
}
printf '%-48s %8s kB\n' "nothing" "$(peak '1;')"
for size in "1000, 1000" "1e7, 1"; do
  for call in "R = 2*randg(4, $size)*3/8;" "R = shapedraw(3, 8, $size);" "R = recipshapedraw(2, 10, $size);" \
              "R = shapedraw(3, 0.5, $size);" "R = studentdraw(5, $size);"; do
    printf '%-48s %8s kB\n' "$call" "$(peak "$call")"
  done
done
