# What each part of a test run did, for one summary at its end; sourced by scripts/test.sh and
# scripts/windows.sh.
#
#   run_part NAME COMMAND...   runs COMMAND, shows its output, and records NAME as passed, failed
#                              or skipped with the time it took. A command skips by exiting 77
#                              after printing a line "skipped: <reason>" (its last such line is
#                              the reason given). A part that passes may print a line
#                              "summary: <how>" (how it ran, when that is not the usual way):
#                              its last such line stands beside it in the summary.
#   record_part NAME RESULT SECONDS [REASON]   records a part directly.
#   install_note GROUP         prints why .ci/run could not install a tool group, if it tried
#                              and failed (MONTEMEX_INSTALL_NOTES, written by scripts/install_tools.sh).
#   print_summary              prints every recorded part; returns 1 when any failed.
#
# The records go to the file MONTEMEX_SUMMARY (made at the first record when unset), so that
# scripts run by scripts/test.sh add theirs to the same summary.

record_part() {
  if [ -z "${MONTEMEX_SUMMARY:-}" ]; then
    MONTEMEX_SUMMARY=$(mktemp)
    export MONTEMEX_SUMMARY
  fi
  printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "${4:-}" >>"$MONTEMEX_SUMMARY"
}

run_part() {
  local name=$1 log status started=$SECONDS reason=""
  shift
  log=$(mktemp)
  echo "== $name"
  set +e
  (set -e; "$@") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  case $status in
    0) record_part "$name" passed $((SECONDS - started)) "$(grep -E '^summary: ' "$log" | tail -n 1 | sed 's/^summary: //')" ;;
    77)
      reason=$(grep -E '^skipped: ' "$log" | tail -n 1 | sed 's/^skipped: //')
      record_part "$name" skipped $((SECONDS - started)) "${reason:-no reason given}"
      ;;
    *) record_part "$name" failed $((SECONDS - started)) "exit status $status" ;;
  esac
  rm -f "$log"
  return 0
}

install_note() {
  [ -n "${MONTEMEX_INSTALL_NOTES:-}" ] && [ -f "$MONTEMEX_INSTALL_NOTES" ] || return 0
  awk -F '\t' -v group="$1" '$1 == group { print $2; exit }' "$MONTEMEX_INSTALL_NOTES"
}

print_summary() {
  [ -n "${MONTEMEX_SUMMARY:-}" ] || return 0
  echo
  echo "== summary"
  awk -F '\t' '
    { printf "%-34s %-8s %5d s%s\n", $1, $2, $3, ($4 == "" ? "" : "  " $4) }
    $2 == "failed" { failed++ }
    END { exit failed > 0 }' "$MONTEMEX_SUMMARY"
}

# True when the part NAME was recorded as passed.
part_passed() {
  [ -n "${MONTEMEX_SUMMARY:-}" ] && awk -F '\t' -v name="$1" '$1 == name && $2 == "passed" { found = 1 } END { exit !found }' "$MONTEMEX_SUMMARY"
}
