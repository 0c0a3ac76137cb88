#!/usr/bin/env bash
# Installs what the tests need from Debian's packages, one tool group at a time, so that a group
# the archive cannot give today never holds back the others. Run by .ci/run.
#
# Required (the run fails without them): cmake and g++, GoogleTest, GNU Octave (the real host).
# Optional (the parts that need them are skipped, naming the reason): clang-format, Octave's
# parallel package, clang's libFuzzer, MinGW-w64, wine64, the GoogleTest sources (cross builds),
# g++-multilib, qemu (where the kernel does not run 32-bit programs), Slurm and munge, debootstrap
# (the Octave 9 chroot), and last the 32-bit wine, an i386 package.
#
# A group that fails leaves one line "GROUP<TAB>reason" in MONTEMEX_INSTALL_NOTES, which the test
# scripts quote when they skip a part (scripts/summary.sh). Exits 1 when a required group is
# missing, after trying every group.
#
#   MONTEMEX_INSTALL_ALL=1   tries every group even when its tools are present (a test of this
#                            script runs it so, with APT and DPKG replaced by stubs).
#   MONTEMEX_APT_GET, MONTEMEX_DPKG   replace apt-get and dpkg (the test's stubs).
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/apt.sh
if [ -n "${MONTEMEX_DPKG:-}" ]; then
  DPKG=("$MONTEMEX_DPKG")
elif [ "$(id -u)" -eq 0 ]; then
  DPKG=(dpkg)
else
  DPKG=(sudo dpkg)
fi

have() { command -v "$1" >/dev/null 2>&1; }
# True when the group must be installed: MONTEMEX_INSTALL_ALL, or its check fails.
wanted() { [ "${MONTEMEX_INSTALL_ALL:-0}" = 1 ] || ! "$@" >/dev/null 2>&1; }
runs_i686() { echo 'int main(void) { return 0; }' | gcc -m32 -x c - -o "$1" >/dev/null 2>&1 && "$1" >/dev/null 2>&1; }
has_fuzzer() { ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 && have clang++; }
has_gtest() { [ -f /usr/include/gtest/gtest.h ]; }
has_octave() { have octave && have mkoctfile; }
has_build_tools() { have cmake && have g++ && have make; }
has_package() { "${DPKG[@]}" -s "$1" >/dev/null 2>&1; }
has_multilib() { echo 'int main(void) { return 0; }' | gcc -m32 -x c - -o /dev/null; }
has_slurm() { have slurmctld && have slurmd && have sbatch && have munged; }

apt_update
missing=()
wanted has_build_tools && { apt_install build cmake g++ make || missing+=("cmake and g++"); }
wanted has_gtest && { apt_install googletest libgtest-dev || missing+=(GoogleTest); }
wanted has_octave && { apt_install octave octave liboctave-dev || missing+=(Octave); }

# Optional groups; only console programs, so no recommended desktop libraries.
optional() { apt_install "$1" --no-install-recommends "${@:2}"; }
wanted has_package octave-parallel && optional octave-parallel octave-parallel
wanted have clang-format && optional clang-format clang-format
wanted has_fuzzer && optional clang clang libclang-rt-dev
wanted have i686-w64-mingw32-g++-win32 && optional mingw32 g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
wanted have x86_64-w64-mingw32-g++-win32 && optional mingw64 g++-mingw-w64-x86-64-win32
wanted test -x /usr/lib/wine/wine64 && optional wine64 wine64
wanted test -d /usr/src/googletest && optional googletest-src googletest
wanted has_multilib && optional multilib g++-multilib
probe=$(mktemp)
if [ "${MONTEMEX_INSTALL_ALL:-0}" = 1 ] || { ! runs_i686 "$probe" && ! have qemu-i386-static; }; then
  optional qemu qemu-user-static
fi
rm -f "$probe"
wanted has_slurm && optional slurm slurmctld slurmd slurm-client munge iproute2
wanted have debootstrap && optional debootstrap debootstrap

# The 32-bit wine last: it needs the i386 architecture, whose indexes are the ones most often
# mid-synchronisation, and its i386 libraries must match the amd64 ones exactly.
if wanted test -x /usr/lib/wine/wine; then
  added=no
  if ! "${DPKG[@]}" --print-foreign-architectures | grep -qx i386; then
    "${DPKG[@]}" --add-architecture i386 && added=yes
    apt_update
  fi
  if ! optional wine32 wine32:i386 && [ "$added" = yes ]; then
    # Leave the machine as it was: no i386 indexes for later updates to trip over.
    "${DPKG[@]}" --remove-architecture i386 >/dev/null 2>&1
  fi
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install_tools: required and missing: ${missing[*]}" >&2
  exit 1
fi
exit 0
