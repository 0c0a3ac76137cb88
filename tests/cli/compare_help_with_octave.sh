#!/bin/sh
# Usage: compare_help_with_octave.sh TOOL OCTAVE INSTDIR
# For every help file INSTDIR/<name>.m, "TOOL help <name>" must print the text Octave's help
# prints for it (get_help_text; help adds only a header and a footer around it), and neither may
# show the file's built-in test and demo blocks (%!test, %!demo, ...). A function written as an
# m-file (unitrun, ...) is not one the tool can call: it says so instead of showing the help.
tool=$1 octave=$2 inst=$3
failed=0
for file in "$inst"/*.m; do
  name=$(basename "$file" .m)
  if grep -v '^[[:space:]]*$' "$file" | head -n 1 | grep -q '^[[:space:]]*function[[:space:][]'; then
    if "$tool" help "$name" >/dev/null 2>&1 || ! "$tool" help "$name" 2>&1 | grep -q "is an m-file for Octave and MATLAB"; then
      echo "help $name: the tool shows help for an m-file it cannot call"
      failed=1
    fi
    continue
  fi
  expected=$("$octave" --no-gui --norc --no-history --quiet --eval \
    "addpath('$inst'); fwrite(stdout, get_help_text('$name'));" 2>/dev/null; echo .)
  actual=$("$tool" help "$name"; echo .)
  if [ "$expected" != "$actual" ]; then
    echo "help $name differs from Octave's:"
    printf '%s\n' "$expected" >expected.txt
    printf '%s\n' "$actual" | diff expected.txt - | head -20
    rm -f expected.txt
    failed=1
  fi
  if printf '%s\n' "$actual" | grep -q '^!'; then
    echo "help $name shows the file's test or demo blocks"
    failed=1
  fi
done
exit $failed
