# Smallest real runs: a tool that installed is not yet a tool that runs here, so each optional way
# of running a part is tried on a tiny program first. Sourced by the test scripts.
#
#   probe_run SECONDS EXPECTED COMMAND...   runs COMMAND, at most SECONDS (then it and what it
#                started are killed); true when it exits 0 and, unless EXPECTED is empty, its
#                output holds the text EXPECTED. Otherwise false, with PROBE_REASON set to the
#                first line of its output that says what went wrong.
#   first_error_line FILE   that line: the first that reads like an error, else the first line
#                (wine's notes about a new prefix aside), without the "SCRIPT: line N: " a shell
#                puts before its own messages; nothing for an empty file.

first_error_line() {
  local lines
  lines=$(grep -v -E '^wine: (created the configuration directory|configuration in .* has been updated)' "$1" |
    grep -v '^\s*$' | tr -d '\r')
  { grep -m 1 -i -E 'error|fail|could not|cannot|can.t|not found|denied|not permitted|status|abort' <<<"$lines" ||
    head -n 1 <<<"$lines"; } | sed -E 's/^[^ :]+: line [0-9]+: //'
}

probe_run() {
  local seconds=$1 expected=$2 log status
  shift 2
  log=$(mktemp)
  timeout -k 10 "$seconds" "$@" >"$log" 2>&1 </dev/null
  status=$?
  PROBE_REASON=""
  if [ $status -eq 0 ] && { [ -z "$expected" ] || grep -qF -- "$expected" "$log"; }; then
    rm -f "$log"
    return 0
  fi
  if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    PROBE_REASON="no answer within $seconds s"
  else
    PROBE_REASON=$(first_error_line "$log")
    [ $status -eq 0 ] && PROBE_REASON="it exited 0 without printing \"$expected\"${PROBE_REASON:+: $PROBE_REASON}"
    [ -n "$PROBE_REASON" ] || PROBE_REASON="exit status $status"
  fi
  rm -f "$log"
  return 1
}
