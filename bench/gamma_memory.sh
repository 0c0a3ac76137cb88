#!/usr/bin/env bash
# Peak resident memory of Octave drawing a 1000-by-1000 result (8 MB) with shapedraw, next to
# Octave drawing the same with randg and to Octave doing nothing. Run by hand after a build.
set -euo pipefail
cd "$(dirname "$0")/.."
peak() {
  /usr/bin/time -v octave --no-gui --norc --quiet --eval "addpath('build/octave'); $1" 2>&1 >/dev/null |
    sed -n 's/.*Maximum resident set size (kbytes): //p'
}
printf '%-48s %8s kB\n' "nothing" "$(peak '1;')"
printf '%-48s %8s kB\n' "R = 2*randg(4, 1000, 1000)*3/8;" "$(peak 'R = 2*randg(4, 1000, 1000)*3/8;')"
printf '%-48s %8s kB\n' "R = shapedraw(3, 8, 1000, 1000);" "$(peak 'R = shapedraw(3, 8, 1000, 1000);')"
printf '%-48s %8s kB\n' "R = studentdraw(5, 1000, 1000);" "$(peak 'R = studentdraw(5, 1000, 1000);')"
