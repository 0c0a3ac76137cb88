#!/bin/sh
# A real Ctrl-C (SIGINT) sent to an interactive Octave one second into a long module call must end
# the call within a second or two, with no result, and leave the session exact: the next seeded
# waitdraw(1, 3, 4) equals -log(rand(3, 4)) from the same seed.
#   interrupt_test.sh OCTAVE MODULE_DIR
set -u
octave=$1
modules=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/in"
OCTAVE_PATH="$modules" "$octave" --no-gui --norc --no-history --quiet --interactive <"$work/in" >"$work/log" 2>&1 &
pid=$!
exec 3>"$work/in"
cat >&3 <<'OCTAVE'
rand ("state", 1); expected = -log (rand (3, 4)); started = tic (); disp ("START");
R = shapedraw (3, 8, 1e4, 1e4);
OCTAVE
for i in $(seq 300); do grep -q START "$work/log" && break; sleep 0.1; done
sleep 1
kill -INT "$pid"
cat >&3 <<'OCTAVE'
printf ("ENDED %.2f s after the start\n", toc (started));
printf ("RESULT %d\n", exist ("R"));
rand ("state", 1); printf ("EXACT %d\n", isequal (waitdraw (1, 3, 4), expected));
exit
OCTAVE
exec 3>&-
for i in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  echo "Octave did not finish: the call was not interrupted"
  cat "$work/log"
  exit 1
fi
grep -E "ENDED|RESULT|EXACT" "$work/log"
seconds=$(sed -n 's/.*ENDED \([0-9.]*\) s.*/\1/p' "$work/log")
[ -n "$seconds" ] || { cat "$work/log"; exit 1; }
# Sent one second after the start: ended within two more.
awk -v s="$seconds" 'BEGIN { exit !(s < 3.5) }' || { echo "the call ended only after $seconds s"; exit 1; }
grep -q "RESULT 0" "$work/log" && grep -q "EXACT 1" "$work/log"
