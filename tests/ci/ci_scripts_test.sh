#!/usr/bin/env bash
# The CI's install step on a bad day of the package archive, with apt-get and dpkg replaced by
# stubs: "update" fails as during a mirror synchronisation and one package cannot be installed.
# Every other tool group must still be installed, the failure noted with apt's first error line,
# and the run fail only when a required group is missing. Then the summary of a test run: a part
# that passes, one that skips with its reason and one that fails.
#   ci_scripts_test.sh PROJECT_DIR
set -euo pipefail
project=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# apt-get: "update" fails; installing any package named in $work/broken fails.
cat >"$work/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$STUB_LOG"
case " $* " in
  *" update "*)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    exit 100 ;;
esac
for package in $(cat "$STUB_BROKEN"); do
  case " $* " in *" $package "*)
    echo "Some packages could not be installed."
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
  esac
done
exit 0
STUB
cat >"$work/dpkg" <<'STUB'
#!/bin/sh
echo "dpkg $*" >>"$STUB_LOG"
case $1 in
  -s) exit 1 ;;
  --print-foreign-architectures) grep -x i386 "$STUB_ARCHES" || true ;;
  --add-architecture) echo i386 >"$STUB_ARCHES" ;;
  --remove-architecture) : >"$STUB_ARCHES" ;;
esac
STUB
chmod +x "$work/apt-get" "$work/dpkg"

install() {
  : >"$work/log"
  : >"$work/notes"
  : >"$work/arches"
  echo "$1" >"$work/broken"
  STUB_LOG=$work/log STUB_BROKEN=$work/broken STUB_ARCHES=$work/arches MONTEMEX_INSTALL_NOTES=$work/notes \
    MONTEMEX_APT_GET=$work/apt-get MONTEMEX_DPKG=$work/dpkg MONTEMEX_INSTALL_ALL=1 MONTEMEX_APT_RETRY_SECONDS=0 \
    "$project/scripts/install_tools.sh" >"$work/out" 2>&1
}

install "wine32:i386" || { cat "$work/out"; fail "a missing optional package failed the install step"; }
[ "$(grep -c 'update' "$work/log")" -eq 6 ] || fail "update not tried 3 times, twice: $(cat "$work/log")"
for package in octave liboctave-dev octave-parallel wine64 g++-mingw-w64-i686-win32 g++-multilib slurmctld debootstrap wine32:i386; do
  grep -q "install .* $package\b" "$work/log" || fail "no install of $package attempted"
done
expected="wine32	wine32:i386 could not be installed: E: Unable to correct problems, you have held broken packages."
[ "$(cat "$work/notes")" = "$expected" ] || fail "notes: $(cat "$work/notes")"
grep -q -- "--remove-architecture i386" "$work/log" || fail "the i386 architecture was left behind"
# The note is what a skipped part quotes.
reason=$(MONTEMEX_INSTALL_NOTES=$work/notes env -u MONTEMEX_SUMMARY bash -c "source '$project/scripts/summary.sh'; install_note wine32")
[ "$reason" = "${expected#wine32	}" ] || fail "install_note gives: $reason"

install "liboctave-dev" && fail "a missing Octave did not fail the install step"
grep -q "required and missing: Octave" "$work/out" || fail "no message for the missing Octave: $(cat "$work/out")"
grep -q "install .* wine32:i386" "$work/log" || fail "the groups after Octave were not tried"

# The summary: one part of each result (one passing another way than usual); the run fails
# because one part failed.
out=$(cd "$work" && env -u MONTEMEX_SUMMARY bash -c "
  source '$project/scripts/summary.sh'
  passes() { true; }
  passes_otherwise() { echo 'summary: under an emulator'; }
  skips() { echo 'skipped: no tool today'; return 77; }
  fails() { false; echo 'not reached'; }
  run_part 'part one' passes >/dev/null
  run_part 'part one b' passes_otherwise >/dev/null
  run_part 'part two' skips >/dev/null
  run_part 'part three' fails >/dev/null
  print_summary" 2>&1) && fail "a failed part did not fail the summary"
echo "$out"
grep -qE '^part one +passed +[0-9]+ s$' <<<"$out" || fail "summary: part one"
grep -qE '^part one b +passed +[0-9]+ s  under an emulator$' <<<"$out" || fail "summary: part one b"
grep -qE '^part two +skipped +[0-9]+ s  no tool today$' <<<"$out" || fail "summary: part two"
grep -qE '^part three +failed +[0-9]+ s  exit status 1$' <<<"$out" || fail "summary: part three"
echo "ci scripts: install step and summary as expected"
