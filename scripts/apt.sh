# apt-get for days when the package archive is only partly there; sourced by scripts/install_tools.sh
# and scripts/octave9.sh.
#
# The archive can be mid-synchronisation for hours: one index that fails to download makes
# "apt-get update" exit 100 although every other index was updated, and a package whose
# dependencies come from that index cannot be installed while the rest can. So an update is
# retried a few times and then accepted as it is, and every install stands alone: what cannot be
# had is noted with apt's first error line, and nothing else is held back by it.
#
#   APT          the command that runs apt-get, as an array: MONTEMEX_APT_GET when set (a test
#                replaces apt-get with a stub so), else apt-get, with sudo when not root.
#   apt_update   runs "update" up to three times, 15 s apart (MONTEMEX_APT_RETRY_SECONDS); never fails.
#   apt_install GROUP PACKAGE...   installs the packages; on failure adds "GROUP<TAB>the packages
#                could not be installed: <apt's first error line>" to MONTEMEX_INSTALL_NOTES,
#                prints it, and returns 1.
#   add_install_note GROUP TEXT   notes why a group could not be had, another way than by apt.
if [ -n "${MONTEMEX_APT_GET:-}" ]; then
  APT=("$MONTEMEX_APT_GET")
elif [ "$(id -u)" -eq 0 ]; then
  APT=(apt-get)
else
  APT=(sudo apt-get)
fi
: "${MONTEMEX_INSTALL_NOTES:=/dev/null}"

# The first line of apt's output that says what went wrong.
first_apt_error() {
  local line
  line=$(grep -m 1 -E '^(E|Err):' "$1" || true)
  [ -n "$line" ] || line=$(grep -v '^\s*$' "$1" | tail -n 1)
  printf '%s' "${line:-apt-get failed without a message}"
}

apt_update() {
  local try log
  log=$(mktemp)
  for try in 1 2 3; do
    if DEBIAN_FRONTEND=noninteractive "${APT[@]}" update -qq >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$try" -eq 3 ] || sleep "${MONTEMEX_APT_RETRY_SECONDS:-15}"
  done
  echo "note: apt-get update still fails after 3 tries; going on with the indexes it has: $(first_apt_error "$log")"
  rm -f "$log"
  return 0
}

apt_install() {
  local group=$1 log note
  shift
  log=$(mktemp)
  if DEBIAN_FRONTEND=noninteractive "${APT[@]}" install -y -qq "$@" >"$log" 2>&1; then
    rm -f "$log"
    echo "installed: $*"
    return 0
  fi
  note="$(printf '%s ' "$@" | sed 's/--[a-z-]* //g; s/ $//') could not be installed: $(first_apt_error "$log")"
  rm -f "$log"
  add_install_note "$group" "$note"
  return 1
}

add_install_note() {
  printf '%s\t%s\n' "$1" "$2" >>"$MONTEMEX_INSTALL_NOTES"
  echo "note: $2"
}
