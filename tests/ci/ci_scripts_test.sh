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

# ---- Choosing a 32-bit wine: each way must run a small program before it is chosen.
# Stubs: the machine's loader, qemu, the chroot's runner and MinGW's compiler. A stub wine
# behaves as its mode says: ok (runs the program), noexec (the kernel runs no i686 code),
# kernel32 (starts, then cannot load kernel32.dll: the machine's wine 8 under qemu 7.2), hang.
mkdir -p "$work/bin" "$work/wine"
cat >"$work/wine/stub" <<'STUB'
#!/bin/sh
# $1: the mode; the rest: what wine was asked to run.
mode=$1
shift
echo "$STUB_WHO $*" >>"$STUB_LOG"
case $mode in
  ok) echo "montemex: a Windows program ran" ;;
  noexec) echo "bash: line 1: /usr/lib/wine/wine: cannot execute binary file: Exec format error" >&2; exit 126 ;;
  kernel32) echo "wine: created the configuration directory '$WINEPREFIX'"; echo "wine: could not load kernel32.dll, status c0000135" >&2; exit 53 ;;
  hang) sleep 30 ;;
esac
STUB
cat >"$work/wine/loader" <<'STUB'
#!/bin/sh
if [ -n "${STUB_UNDER_QEMU:-}" ]; then
  STUB_WHO="host-qemu" exec "$STUB_DIR/stub" "$STUB_HOST_QEMU" "$@"
fi
STUB_WHO=host exec "$STUB_DIR/stub" "$STUB_HOST_NATIVE" "$@"
STUB
cat >"$work/bin/qemu-i386-static" <<'STUB'
#!/bin/sh
[ "$1 $2" = "-R 0xfffe0000" ] && [ "${WINELOADERNOEXEC:-}" = 1 ] || { echo "qemu stub: called as $*" >&2; exit 99; }
shift 2
STUB_UNDER_QEMU=1 exec "$@"
STUB
cat >"$work/wine/chroot" <<'STUB'
#!/bin/sh
[ "$1 $2" = "run /usr/lib/wine/wine" ] || { echo "chroot stub: called as $*" >&2; exit 99; }
shift 2
if [ "${MONTEMEX_CHROOT_QEMU:-0}" = 1 ]; then
  STUB_WHO=chroot-qemu exec "$STUB_DIR/stub" "$STUB_CHROOT_QEMU" "$@"
fi
STUB_WHO=chroot exec "$STUB_DIR/stub" "$STUB_CHROOT_NATIVE" "$@"
STUB
cat >"$work/bin/i686-w64-mingw32-gcc-win32" <<'STUB'
#!/bin/sh
while [ $# -gt 1 ]; do [ "$1" = -o ] && echo "MZ" >"$2"; shift; done
STUB
chmod +x "$work/wine/"* "$work/bin/"*

# wine_case HOST_NATIVE HOST_QEMU CHROOT_NATIVE CHROOT_QEMU: runs --chroot-flag, --where and
# --summary in a new state folder, each way as its mode says ("absent": not installed), and sets
# FLAG, WHERE and SUMMARY.
wine_case() {
  local state=$work/wine-state root=$work/wine-root loader=$work/wine/loader
  rm -rf "$state" "$root"
  mkdir -p "$root/usr/lib/wine"
  [ "$1" != absent ] || loader=$work/none/wine
  [ "$3" = absent ] || ln -s "$work/wine/loader" "$root/usr/lib/wine/wine"
  : >"$work/log"
  local env=(PATH="$work/bin:$PATH" STUB_LOG="$work/log" STUB_DIR="$work/wine" STUB_HOST_NATIVE=$1 STUB_HOST_QEMU=$2
    STUB_CHROOT_NATIVE=$3 STUB_CHROOT_QEMU=$4 MONTEMEX_WINE32_LOADER=$loader MONTEMEX_WINE32_CHROOT="$work/wine/chroot"
    MONTEMEX_OCTAVE9_ROOT="$root" MONTEMEX_WINE32_STATE="$state" MONTEMEX_WINE32_PROBE_SECONDS=2
    MONTEMEX_INSTALL_NOTES="$work/notes" MONTEMEX_I686=)
  FLAG=$(env "${env[@]}" "$project/scripts/wine32.sh" --chroot-flag 2>/dev/null) || true
  WHERE=$(env "${env[@]}" "$project/scripts/wine32.sh" --where 2>/dev/null) || true
  SUMMARY=$(env "${env[@]}" "$project/scripts/wine32.sh" --summary 2>/dev/null) || true
}
# expect WHERE FLAG SUMMARY: what the last case must have given.
expect() {
  [ "$WHERE" = "$1" ] || fail "wine: $1 expected, $WHERE chosen (summary: $SUMMARY)"
  [ "$FLAG" = "$2" ] || fail "wine: chroot flag '$2' expected, got '$FLAG' (where: $WHERE)"
  [ "$SUMMARY" = "$3" ] || fail "wine: summary expected:
  $3
got:
  $SUMMARY"
}
noexec="cannot execute binary file: Exec format error"
k32="wine: could not load kernel32.dll, status c0000135"
: >"$work/notes"

wine_case ok ok absent absent
expect host "" "summary: the machine's wine, natively"
[ "$(cat "$work/log")" = "host $work/wine-state/probe.exe" ] || fail "wine: tried more than the first way, or twice: $(cat "$work/log")"

wine_case noexec ok absent absent
expect host-qemu "" "summary: the machine's wine under qemu, demos only; the machine's wine: /usr/lib/wine/wine: $noexec; the Debian 13 chroot's wine: not in the chroot (made by scripts/octave9.sh make --wine32)"

# The machine this was first seen on: the machine's wine prints its version under qemu, then
# cannot run a program; the chroot's wine runs under qemu.
wine_case noexec kernel32 noexec ok
expect chroot-qemu --wine32 "summary: the Debian 13 chroot's wine under qemu, demos only; the machine's wine: /usr/lib/wine/wine: $noexec; the Debian 13 chroot's wine: /usr/lib/wine/wine: $noexec; the machine's wine under qemu: $k32"

printf 'wine32\twine32:i386 could not be installed: E: Unable to correct problems, you have held broken packages.\n' >"$work/notes"
wine_case absent absent ok ok
expect chroot --wine32 "summary: the Debian 13 chroot's wine; the machine's wine: not installed (wine32:i386 could not be installed: E: Unable to correct problems, you have held broken packages.)"
: >"$work/notes"

wine_case kernel32 kernel32 ok ok
expect chroot --wine32 "summary: the Debian 13 chroot's wine; the machine's wine: $k32"

# Nothing runs a program: the part is skipped with every way's reason; a way that hangs is
# given up after its time bound.
wine_case noexec hang noexec kernel32
expect none --wine32 "skipped: no 32-bit wine runs a program here: the machine's wine: /usr/lib/wine/wine: $noexec; the Debian 13 chroot's wine: /usr/lib/wine/wine: $noexec; the machine's wine under qemu: no answer within 2 s; the Debian 13 chroot's wine under qemu: $k32"
wine_case absent absent absent absent
expect none --wine32 "skipped: no 32-bit wine runs a program here: the machine's wine: not installed (package wine32:i386); the Debian 13 chroot's wine: not in the chroot (made by scripts/octave9.sh make --wine32); the machine's wine under qemu: not installed (package wine32:i386); the Debian 13 chroot's wine under qemu: not in the chroot (made by scripts/octave9.sh make --wine32)"

# Each way is tried once while its programs stay the same, and again when one changes.
wine_case noexec kernel32 noexec ok
[ "$(grep -c . "$work/log")" -eq 4 ] || fail "wine: ways tried more than once: $(cat "$work/log")"
echo "# changed" >>"$work/wine/loader"
touch -d '+1 minute' "$work/wine/loader"
: >"$work/log"
env PATH="$work/bin:$PATH" STUB_LOG="$work/log" STUB_DIR="$work/wine" STUB_HOST_NATIVE=noexec STUB_HOST_QEMU=ok \
  MONTEMEX_WINE32_LOADER="$work/wine/loader" MONTEMEX_WINE32_STATE="$work/wine-state" MONTEMEX_OCTAVE9_ROOT="$work/wine-root" \
  MONTEMEX_WINE32_CHROOT="$work/wine/chroot" STUB_CHROOT_NATIVE=noexec STUB_CHROOT_QEMU=ok \
  "$project/scripts/wine32.sh" --where 2>/dev/null | grep -qx host-qemu || fail "wine: a changed loader was not tried again"

# Without a working MinGW there is no program to try, and no 32-bit build either: the chroot
# needs no wine.
for cc in i686-w64-mingw32-gcc-win32 i686-w64-mingw32-gcc; do
  printf '#!/bin/sh\necho "%s: not found" >&2\nexit 127\n' "$cc" >"$work/bin/$cc"
  chmod +x "$work/bin/$cc"
done
wine_case absent absent absent absent
[ -z "$FLAG" ] || fail "wine: the chroot asked for its wine with no 32-bit build to run"
case $SUMMARY in
  *"the machine's wine: not installed"*) ;;
  *) fail "wine: without MinGW: $SUMMARY" ;;
esac
wine_case ok ok absent absent
[ "$SUMMARY" = "skipped: no 32-bit wine runs a program here: the machine's wine: no program to try it with: i686-w64-mingw32-gcc-win32: not found; the Debian 13 chroot's wine: not in the chroot (made by scripts/octave9.sh make --wine32); the machine's wine under qemu: no program to try it with: i686-w64-mingw32-gcc-win32: not found; the Debian 13 chroot's wine under qemu: not in the chroot (made by scripts/octave9.sh make --wine32)" ] ||
  fail "wine: without MinGW: $SUMMARY"
echo "ci scripts: every way of running 32-bit wine chosen only after it ran a program"

# ---- A smallest run that fails or hangs gives the reason it printed, or its time bound.
source "$project/scripts/probe.sh"
probe_run 5 "" sh -c 'echo "==12==ERROR: AddressSanitizer failed to allocate 0x10000 bytes"; exit 1' &&
  fail "probe_run: a failing program counted as running"
[ "$PROBE_REASON" = "==12==ERROR: AddressSanitizer failed to allocate 0x10000 bytes" ] || fail "probe_run: $PROBE_REASON"
probe_run 1 "" sleep 30 && fail "probe_run: a program that hangs counted as running"
[ "$PROBE_REASON" = "no answer within 1 s" ] || fail "probe_run: $PROBE_REASON"
probe_run 5 "GNU Octave" echo "something else" && fail "probe_run: a program that printed the wrong text counted"
probe_run 5 "GNU Octave" echo "GNU Octave, version 9.4.0" || fail "probe_run: a program that ran did not count"
echo "ci scripts: smallest runs as expected"
