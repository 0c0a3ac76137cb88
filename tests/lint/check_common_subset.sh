#!/bin/sh
# The m-files meant for MATLAB as well as Octave hold no Octave-only syntax (common_subset.sh),
# and the check finds every kind it knows in a sample (octave_only.m: the lines marked "flag").
#   tests/lint/check_common_subset.sh SOURCE_DIR
root=${1:?usage: $0 SOURCE_DIR}
lint=$root/tests/lint/common_subset.sh
sample=$root/tests/lint/octave_only.m
expected=$(grep -n '% flag' "$sample" | cut -d: -f1 | tr '\n' ' ')
found=$(sh "$lint" "$sample" | sed -n "s|^$sample:\([0-9]*\):.*|\1|p" | uniq | tr '\n' ' ')
if [ "$found" != "$expected" ]; then
  echo "common_subset.sh flags lines $found of $sample, not $expected"
  exit 1
fi
sh "$lint" "$root"/inst/*.m "$root"/inst/private/*.m "$root"/montemex_build.m "$root"/montemex_selfcheck.m \
  "$root"/demo/eight_schools.m "$root"/demo/cluster/*.m
