#!/usr/bin/env bash
# Runs a 32-bit Windows program under a 32-bit wine that has been seen to run one here. The ways,
# in order of preference:
#   host         the machine's own wine (Debian's wine32:i386), where the kernel runs i686 code
#   chroot       the Debian 13 chroot's wine (scripts/octave9.sh make --wine32), likewise
#   host-qemu    the machine's own wine under qemu-i386-static
#   chroot-qemu  the chroot's wine under qemu-i386-static, registered with a binfmt_misc of a user
#                namespace of its own (scripts/octave9.sh)
# A way that is there counts only once it has run a tiny Windows program of our own
# (scripts/wine_probe.c, built with MinGW-w64) in a new prefix, within a time bound
# (MONTEMEX_WINE32_PROBE_SECONDS; by default 300 s, or 900 s under qemu, where making a prefix
# takes minutes). `wine --version` is not enough: the machine's wine 8 prints its version under
# qemu 7.2 and then cannot load kernel32.dll. A way that fails keeps the first line of what it
# said as its reason.
#
# Each way's outcome is kept in build-win32/wine32/ with a fingerprint of the programs it ran, so
# a way is tried once while they stay the same; programs then run in the prefix the chosen way
# made (build-win32/wine32/WAY-prefix), headless.
#
#   scripts/wine32.sh --where         prints the first way that runs a program, or none
#   scripts/wine32.sh --summary       prints the 32-bit Windows run's line for the test summary
#                                     (scripts/summary.sh): "summary: how", the way that runs and
#                                     why each way before it did not; "skipped: why" when none
#                                     does, with every way's reason
#   scripts/wine32.sh --chroot-flag   tries the machine's own wine only (natively, then under
#                                     qemu) and prints --wine32 when neither runs a program: the
#                                     chroot must then bring its own (.ci/run)
#   scripts/wine32.sh --stop          stops the wine server the machine's own wine left running
#   scripts/wine32.sh PROGRAM.exe ARG...   runs the program the way --where gives
#
# MONTEMEX_WINE32_LOADER (/usr/lib/wine/wine), MONTEMEX_QEMU_I386 (qemu-i386-static),
# MONTEMEX_WINE32_CHROOT (the command whose "run" runs a command in the chroot:
# scripts/octave9.sh), MONTEMEX_OCTAVE9_ROOT and MONTEMEX_WINE32_STATE (build-win32/wine32) stand
# in for the real ones in the CI scripts' test; MONTEMEX_I686=qemu skips the native ways.
set -uo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
source "$project/scripts/probe.sh"
source "$project/scripts/summary.sh"
loader=${MONTEMEX_WINE32_LOADER:-/usr/lib/wine/wine}
qemu=${MONTEMEX_QEMU_I386:-qemu-i386-static}
chroot_command=${MONTEMEX_WINE32_CHROOT:-$project/scripts/octave9.sh}
root=${MONTEMEX_OCTAVE9_ROOT:-$project/build-octave9/root}
state=${MONTEMEX_WINE32_STATE:-$project/build-win32/wine32}
probe_text="montemex: a Windows program ran"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

describe() {
  case $1 in
    host) echo "the machine's wine" ;;
    chroot) echo "the Debian 13 chroot's wine" ;;
    host-qemu) echo "the machine's wine under qemu" ;;
    chroot-qemu) echo "the Debian 13 chroot's wine under qemu" ;;
  esac
}

# Prints why WAY cannot be tried here; nothing when it can.
absent() {
  local why
  case $1 in
    host | host-qemu)
      if [ ! -x "$loader" ]; then
        why=$(install_note wine32)
        echo "not installed (${why:-package wine32:i386})"
        return
      fi
      ;;
    chroot | chroot-qemu)
      if [ ! -x "$root/usr/lib/wine/wine" ]; then
        why=$(install_note octave9-wine32)
        [ -n "$why" ] || why=$(install_note octave9)
        echo "not in the chroot (${why:-made by scripts/octave9.sh make --wine32})"
        return
      fi
      ;;
  esac
  case $1 in
    host | chroot) [ "${MONTEMEX_I686:-}" != qemu ] || echo "not tried (MONTEMEX_I686=qemu)" ;;
    *-qemu)
      if ! command -v "$qemu" >/dev/null 2>&1; then
        why=$(install_note qemu)
        echo "qemu-i386-static not installed (${why:-package qemu-user-static})"
      fi
      ;;
  esac
}

# What a way runs, by size and time of change: a way is tried again when one of them changes.
fingerprint() {
  local files=()
  case $1 in
    host | host-qemu) files=("$loader") ;;
    chroot | chroot-qemu) files=("$root/usr/lib/wine/wine") ;;
  esac
  [[ $1 != *-qemu ]] || files+=("$(command -v "$qemu")")
  stat -L -c '%n %s %Y' "${files[@]}" 2>/dev/null | tr '\n' ' '
}

# Runs a program one given way, in that way's prefix.
run_way() {
  local way=$1
  shift
  export WINEPREFIX=$state/$way-prefix
  case $way in
    host) exec "$loader" "$@" ;;
    # Under qemu the loader must not execute itself again, and the top of the address space is
    # kept free for it (measured).
    host-qemu) WINELOADERNOEXEC=1 exec "$qemu" -R 0xfffe0000 "$loader" "$@" ;;
    chroot) exec "$chroot_command" run /usr/lib/wine/wine "$@" ;;
    chroot-qemu) MONTEMEX_CHROOT_QEMU=1 exec "$chroot_command" run /usr/lib/wine/wine "$@" ;;
  esac
  echo "wine32: no way $way" >&2
  exit 2
}

# Builds the probe program once; false, with REASON, when it cannot be.
build_probe() {
  [ ! -s "$state/probe.exe" ] || return 0
  local cc
  for cc in i686-w64-mingw32-gcc-win32 i686-w64-mingw32-gcc ""; do
    [ -z "$cc" ] || ! command -v "$cc" >/dev/null 2>&1 || break
  done
  if [ -z "$cc" ]; then
    REASON="no program to try it with (i686-w64-mingw32-gcc not found)"
    return 1
  fi
  if ! "$cc" -O2 -s "$project/scripts/wine_probe.c" -o "$state/probe.exe.new" 2>"$state/probe.log"; then
    REASON="no program to try it with: $(first_error_line "$state/probe.log")"
    return 1
  fi
  mv "$state/probe.exe.new" "$state/probe.exe"
}

# True when WAY runs the probe program here, trying it now unless it was tried with the same
# programs before; REASON says why not.
try_way() {
  local way=$1 file=$state/$1.result print seconds
  REASON=$(absent "$way")
  [ -z "$REASON" ] || return 1
  print=$(fingerprint "$way")
  if [ -f "$file" ] && [ "$(sed -n 1p "$file")" = "$print" ]; then
    REASON=$(sed -n 3p "$file")
    [ "$(sed -n 2p "$file")" = ok ]
    return
  fi
  build_probe || return 1
  seconds=${MONTEMEX_WINE32_PROBE_SECONDS:-300}
  [[ $way != *-qemu ]] || seconds=${MONTEMEX_WINE32_PROBE_SECONDS:-900}
  rm -rf "$state/$way-prefix"
  echo "wine32: trying $(describe "$way") on a small program (at most $seconds s)" >&2
  if probe_run "$seconds" "$probe_text" "$project/scripts/wine32.sh" --way "$way" "$state/probe.exe"; then
    printf '%s\nok\n\n' "$print" >"$file"
    echo "wine32: $(describe "$way") runs programs here" >&2
    return 0
  fi
  REASON=$PROBE_REASON
  printf '%s\nfailed\n%s\n' "$print" "$REASON" >"$file"
  echo "wine32: $(describe "$way") cannot run a program here: $REASON" >&2
  return 1
}

# Walks the ways given, in order, until one runs a program: WAY is that way (or none) and
# WHY_NOT lists "description: reason" for each way before it. One walk at a time (ctest runs
# programs in parallel), under a lock.
choose() {
  local way
  mkdir -p "$state"
  exec 9>"$state/lock"
  flock 9
  WAY=none
  WHY_NOT=()
  for way in "$@"; do
    if try_way "$way"; then
      WAY=$way
      break
    fi
    WHY_NOT+=("$(describe "$way"): $REASON")
  done
  flock -u 9
  exec 9>&-
}

# The arguments, joined by "; ".
joined() {
  printf '%s' "$1"
  shift
  [ $# -eq 0 ] || printf '; %s' "$@"
}

case ${1:-} in
  --way)
    shift
    run_way "$@"
    ;;
  --where)
    choose host chroot host-qemu chroot-qemu
    echo "$WAY"
    ;;
  --summary)
    choose host chroot host-qemu chroot-qemu
    case $WAY in
      host) echo "summary: the machine's wine, natively" ;;
      none) echo "skipped: no 32-bit wine runs a program here: $(joined "${WHY_NOT[@]}")" ;;
      *)
        how=$(describe "$WAY")
        [[ $WAY != *-qemu ]] || how="$how, demos only"
        echo "summary: $how; $(joined "${WHY_NOT[@]}")"
        ;;
    esac
    ;;
  --chroot-flag)
    mkdir -p "$state"
    # Without MinGW-w64 there is no 32-bit Windows build to run either.
    build_probe || exit 0
    choose host host-qemu
    if [ "$WAY" = none ]; then
      echo "wine32: the chroot needs its own 32-bit wine: $(joined "${WHY_NOT[@]}")" >&2
      echo --wine32
    fi
    ;;
  --stop)
    if [ -d "$state/host-prefix" ]; then
      WINEPREFIX=$state/host-prefix "$(dirname "$loader")/wineserver" -k >/dev/null 2>&1
    fi
    exit 0
    ;;
  "" | -*)
    sed -n '2,/^set -uo/p' "$0" | sed '$d' >&2
    exit 2
    ;;
  *)
    choose host chroot host-qemu chroot-qemu
    if [ "$WAY" = none ]; then
      echo "wine32: no 32-bit wine runs a program here: $(joined "${WHY_NOT[@]}")" >&2
      exit 1
    fi
    run_way "$WAY" "$@"
    ;;
esac
