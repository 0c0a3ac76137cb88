#!/usr/bin/env bash
# Runs a 32-bit Windows program under the 32-bit wine loader, wherever this machine has one: its
# own (Debian's wine32:i386), else the one in the Debian 13 chroot (scripts/octave9.sh make
# --wine32), which stands in when the archive cannot give the machine its own. Either runs
# natively where the kernel runs i686 code, else under qemu-i386-static (a minute or so a
# program). Headless, in the wine prefix WINEPREFIX (default build-win32/wineprefix). ctest runs
# the 32-bit Windows tests through it.
#
#   scripts/wine32.sh --where            prints host, host-qemu, chroot, chroot-qemu or none
#   scripts/wine32.sh PROGRAM.exe ARG... runs the program
set -uo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
source "$project/scripts/i686.sh"
loader=/usr/lib/wine/wine
root=${MONTEMEX_OCTAVE9_ROOT:-$project/build-octave9/root}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=${WINEPREFIX:-$project/build-win32/wineprefix}

where() {
  if [ -x "$loader" ]; then
    case $(i686_mode "$loader" --version) in
      native) echo host ;;
      qemu) echo host-qemu ;;
      *) echo none ;;
    esac
  elif [ ! -x "$root$loader" ] || [ "$(id -u)" -ne 0 ]; then
    echo none
  elif [ "${MONTEMEX_I686:-}" != qemu ] && "$project/scripts/octave9.sh" run "$loader" --version >/dev/null 2>&1; then
    echo chroot
  elif command -v qemu-i386-static >/dev/null 2>&1 &&
      MONTEMEX_CHROOT_QEMU=1 "$project/scripts/octave9.sh" run "$loader" --version >/dev/null 2>&1; then
    echo chroot-qemu
  else
    echo none
  fi
}

if [ "${1:-}" = --where ]; then
  where
  exit 0
fi
case $(where) in
  host) exec "$loader" "$@" ;;
  host-qemu) exec "${qemu_wine[@]}" "$loader" "$@" ;;
  chroot) exec "$project/scripts/octave9.sh" run "$loader" "$@" ;;
  chroot-qemu) MONTEMEX_CHROOT_QEMU=1 exec "$project/scripts/octave9.sh" run "$loader" "$@" ;;
  *)
    echo "wine32: no 32-bit wine loader here" >&2
    exit 1
    ;;
esac
