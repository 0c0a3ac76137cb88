#!/bin/sh
# A real Ctrl-C (SIGINT) sent to an interactive Octave during a long module call must end the
# call within half a second, with no result, and leave the session exact: the next seeded
# waitdraw(1, 3, 4) equals -log(rand(3, 4)) from the same seed. The calls: a long gamma draw
# (the one-number-per-host-call build, so that it is long without arrays large enough for the
# host's allocation to take the time), calls over long runs of degrees of freedom that draw
# nothing (each once took minutes, and seconds to stop), and the adaptive rejection sampler's
# worst case (100000 rejected proposals).
#   interrupt_test.sh OCTAVE MODULE_DIR TEST_MODULE_DIR
set -u
octave=$1
modules=$2
test_modules=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/in"
OCTAVE_PATH="$modules:$test_modules" "$octave" --no-gui --norc --no-history --quiet --interactive <"$work/in" >"$work/log" 2>&1 &
pid=$!
exec 3>"$work/in"
echo 'rand ("state", 1); expected = -log (rand (3, 4)); Z = zeros (1500);' >&3

# interrupt NAME DELAY STATEMENT: runs STATEMENT, which assigns R, and sends SIGINT DELAY seconds
# after it starts; the log gets the times the signal went and the call ended, and whether R
# exists.
interrupt() {
  echo "clear R; disp (\"START $1\"); $3" >&3
  for i in $(seq 300); do grep -q "START $1" "$work/log" && break; sleep 0.1; done
  sleep "$2"
  echo "SENT $1 $(date +%s.%N)" >>"$work/sent"
  kill -INT "$pid"
  printf 'printf ("ENDED %s %%.6f\\n", time ()); printf ("RESULT %s %%d\\n", exist ("R"));\n' "$1" "$1" >&3
}
interrupt gamma 1 'R = shapedraw_unbuffered (3, 8, 1e3, 1e3);'
interrupt zeros 1 'for k = 1:1000, Y = shapedraw (3, Z); end'
# Each such call ends with an error after its 100000 proposals (well under a second in Octave 9):
# the loop keeps one running when the signal comes, and shows that catch does not swallow it.
interrupt ars 1 'rand ("state", 0); for k = 1:100, try, R = scalehyperdraw (1, 1e5, 1e5, 1e40, 1); catch, end, end'
cat >&3 <<'OCTAVE'
rand ("state", 1); printf ("EXACT %d\n", isequal (waitdraw (1, 3, 4), expected));
exit
OCTAVE
exec 3>&-
for i in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  echo "Octave did not finish: a call was not interrupted"
  cat "$work/log"
  exit 1
fi
status=0
for name in gamma zeros ars; do
  sent=$(sed -n "s/^SENT $name //p" "$work/sent")
  ended=$(sed -n "s/.*ENDED $name \([0-9.]*\).*/\1/p" "$work/log")
  [ -n "$ended" ] || { echo "$name: no end time"; status=1; continue; }
  latency=$(awk -v s="$sent" -v e="$ended" 'BEGIN { printf "%.3f", e - s }')
  echo "$name: ended $latency s after the signal"
  awk -v l="$latency" 'BEGIN { exit !(l < 0.5) }' || { echo "$name: too slow to stop"; status=1; }
  grep -q "RESULT $name 0" "$work/log" || { echo "$name: the call was not interrupted"; status=1; }
done
grep -q "EXACT 1" "$work/log" || { echo "the session is not exact"; status=1; }
[ "$status" -eq 0 ] || cat "$work/log"
exit "$status"
