#!/usr/bin/env bash
# A second real host: GNU Octave 9 from Debian 13 (trixie), in a chroot made with debootstrap,
# which leaves the machine's own system untouched. Needs root.
#
#   scripts/octave9.sh make [--wine32]   makes the chroot (about 3 minutes) and installs Octave,
#                        its development files, g++, cmake, GoogleTest, and gnuplot, a font and
#                        Ghostscript for the demos' plots in it (about 3 more); with --wine32
#                        also the 32-bit wine, which then stands in for the machine's own
#                        (scripts/wine32.sh). Safe to run again.
#   scripts/octave9.sh test              builds the project inside the chroot in build-octave9/build
#                        and runs the Octave tests there (ctest -L octave): the suite in
#                        tests/octave, the package installed with pkg install and its built-in
#                        tests (pkg test), the build script, the interrupt test and the demos.
#                        Exits 77 ("skipped: ...") when there is no chroot.
#   scripts/octave9.sh run COMMAND...    runs a command inside, in the current folder (which must
#                        be inside the project), with WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES
#                        passed on.
#
# The chroot is build-octave9/root, or MONTEMEX_OCTAVE9_ROOT. Every command inside runs in a mount
# and PID namespace of its own, with /proc, /dev and the project (at its own path) mounted there:
# when the command ends the mounts are gone and any process it left behind is killed, however it
# ended. While "make" runs (.ci/run starts it in the background), "test" waits for it, at most
# MONTEMEX_OCTAVE9_WAIT seconds (default 1500).
set -uo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
here=$PWD
cd "$project"
root=${MONTEMEX_OCTAVE9_ROOT:-$project/build-octave9/root}
ready=$root/etc/montemex-octave9-ready
running=$(dirname "$root")/make.running
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
source scripts/apt.sh
source scripts/probe.sh
source scripts/summary.sh

# in_root DIR COMMAND...: runs COMMAND inside the chroot, in DIR. With MONTEMEX_CHROOT_QEMU=1 the
# kernel's part for i386 programs is played by the machine's qemu-i386-static, registered with a
# binfmt_misc of the namespace's own (a user namespace's; the machine's own is left alone): for
# the 32-bit wine where the kernel does not run i686 code.
in_root() {
  local dir=$1 v qemu="" ns=(--mount --pid --fork --kill-child --propagation private)
  local pass=(HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive)
  shift
  for v in WINEPREFIX WINEDEBUG WINEDLLOVERRIDES; do
    [ -z "${!v:-}" ] || pass+=("$v=${!v}")
  done
  if [ "${MONTEMEX_CHROOT_QEMU:-0}" = 1 ]; then
    qemu=$(command -v qemu-i386-static) || { echo "octave9: qemu-i386-static not found" >&2; return 1; }
    ns=(--user --map-root-user "${ns[@]}")
    # The top of the address space stays free for wine, as its loader expects.
    pass+=(QEMU_RESERVED_VA=0xfffe0000)
  fi
  unshare "${ns[@]}" -- /bin/bash -c '
    set -e
    root=$1 project=$2 dir=$3 qemu=$4
    shift 4
    if [ -n "$qemu" ]; then
      # An i386 ELF header: magic and mask as binfmt_misc reads them; F opens qemu now, outside
      # the chroot; P passes the program name on.
      mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
      printf "%s" ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$qemu:FP" \
        >/proc/sys/fs/binfmt_misc/register
    fi
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mkdir -p "$root$project"
    mount --bind "$project" "$root$project"
    exec chroot "$root" /bin/sh -c "cd \"\$0\" && exec env -i \"\$@\"" "$dir" "$@"' \
    bash "$root" "$project" "$dir" "$qemu" "${pass[@]}" "$@"
}

make_root() {
  if [ "$(id -u)" -ne 0 ]; then
    add_install_note octave9 "making the Debian 13 chroot needs root"
    return 1
  fi
  if ! command -v debootstrap >/dev/null 2>&1; then
    local why
    why=$(install_note debootstrap)
    add_install_note octave9 "debootstrap not found${why:+: $why}"
    return 1
  fi
  mkdir -p "$(dirname "$root")"
  echo $$ >"$running"
  trap 'rm -f "$running"' EXIT
  local started=$SECONDS try
  if [ ! -x "$root/usr/bin/apt-get" ] || [ ! -f "$root/etc/debian_version" ]; then
    for try in 1 2; do
      rm -rf "$root"
      # In a mount namespace of its own, so that nothing debootstrap mounts outlives it.
      if unshare --mount --propagation private -- debootstrap --variant=minbase trixie "$root" \
          http://deb.debian.org/debian >"$(dirname "$root")/debootstrap.log" 2>&1; then
        break
      fi
      if [ "$try" -eq 2 ]; then
        add_install_note octave9 "debootstrap trixie failed: $(grep -m 1 -E '^E:' "$(dirname "$root")/debootstrap.log")"
        rm -rf "$root"
        return 1
      fi
      sleep "${MONTEMEX_APT_RETRY_SECONDS:-15}"
    done
    echo "octave9: Debian 13 chroot made in $((SECONDS - started)) s"
  fi
  local APT=(in_root / apt-get)
  if [ ! -f "$ready" ]; then
    started=$SECONDS
    apt_update
    apt_install octave9 --no-install-recommends octave octave-dev g++ make cmake libgtest-dev gnuplot-nox fonts-freefont-otf ghostscript || return 1
    # The parallel-chains test needs it; without it that test reports itself skipped.
    apt_install octave9-parallel --no-install-recommends octave-parallel || true
    in_root / octave-cli --version | head -n 1 >"$ready"
    echo "octave9: $(cat "$ready") installed in $((SECONDS - started)) s"
  fi
  if [ "${1:-}" = --wine32 ] && [ ! -x "$root/usr/lib/wine/wine" ]; then
    started=$SECONDS
    in_root / dpkg --add-architecture i386
    apt_update
    apt_install octave9-wine32 --no-install-recommends wine32:i386 wine64 wine &&
      echo "octave9: 32-bit wine installed in $((SECONDS - started)) s"
  fi
  return 0
}

# Waits for a "make" that is still running, at most MONTEMEX_OCTAVE9_WAIT seconds.
wait_for_make() {
  local waited=0 pid
  while [ -f "$running" ] && pid=$(cat "$running" 2>/dev/null) && kill -0 "$pid" 2>/dev/null; do
    if [ "$waited" -ge "${MONTEMEX_OCTAVE9_WAIT:-1500}" ]; then
      echo "octave9: the chroot is still being made after $waited s; not waiting longer" >&2
      return 1
    fi
    [ "$waited" -gt 0 ] || echo "octave9: waiting for the chroot to be made"
    sleep 5
    waited=$((waited + 5))
  done
}

run_tests() {
  wait_for_make
  # What the chroot's making said, when .ci/run made it in the background.
  [ ! -f "$(dirname "$root")/make.log" ] || cat "$(dirname "$root")/make.log"
  if [ ! -f "$ready" ]; then
    local why
    why=$(install_note octave9)
    echo "skipped: no Octave 9 chroot (${why:-make it with scripts/octave9.sh make})"
    return 77
  fi
  # A chroot that was made may still not run here (namespaces refused, say): Octave once first.
  if ! probe_run 300 "GNU Octave" "$project/scripts/octave9.sh" run octave-cli --norc --version; then
    echo "skipped: the Debian 13 chroot does not run Octave here: $PROBE_REASON"
    return 77
  fi
  echo "octave9: $(cat "$ready")"
  local build=$project/build-octave9/build
  in_root "$project" cmake -S "$project" -B "$build" -DMONTEMEX_TESTS=ON >/dev/null &&
    in_root "$project" cmake --build "$build" -j "$jobs" >/dev/null &&
    in_root "$project" ctest --test-dir "$build" -L octave --output-on-failure -j "$jobs"
}

case ${1:-} in
  make) shift; make_root "$@" ;;
  test) run_tests ;;
  run) shift; in_root "$here" "$@" ;;
  *)
    echo "usage: scripts/octave9.sh make [--wine32] | test | run COMMAND..." >&2
    exit 2
    ;;
esac
