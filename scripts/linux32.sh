#!/usr/bin/env bash
# The quick 32-bit check: the embedded host, the modules and the unit, module and command-line
# tests built as i686 Linux programs in build-i686/ (g++-multilib; -m32 -msse2 -mfpmath=sse, see
# cmake/toolchains/linux-i686.cmake) and run through ctest: natively when the kernel runs 32-bit
# programs, else under qemu-i386-static. Skipped when neither is possible: exits 77 after a line
# "skipped: <reason>" (scripts/summary.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
source scripts/i686.sh
source scripts/summary.sh

mkdir -p build-i686
probe=build-i686/i686-probe
if ! echo 'int main(void) { return 0; }' | gcc -m32 -x c - -o "$probe" >/dev/null 2>&1; then
  why=$(install_note multilib)
  echo "skipped: gcc -m32 cannot build i686 programs (${why:-package g++-multilib; .ci/run installs it})"
  exit 77
fi
if [ ! -d /usr/src/googletest ]; then
  why=$(install_note googletest-src)
  echo "skipped: GoogleTest sources not found (${why:-package googletest})"
  exit 77
fi

emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR=)
case $(i686_mode "$probe") in
  native) echo "linux32: i686 programs run natively" ;;
  qemu)
    echo "linux32: the kernel does not run i686 programs; running them under qemu-i386-static"
    echo "summary: under qemu-i386-static (this kernel runs no i686 code)"
    emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR=qemu-i386-static)
    ;;
  none)
    why=$(install_note qemu)
    echo "skipped: this kernel does not run i686 programs and qemu-i386-static is not installed" \
      "(${why:-package qemu-user-static})"
    exit 77
    ;;
esac

if [ -f build-i686/CMakeCache.txt ]; then
  cmake -S . -B build-i686 -DMONTEMEX_TESTS=ON "${emulator[@]}"
else
  cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/linux-i686.cmake -DCMAKE_BUILD_TYPE=Release \
    -DMONTEMEX_TESTS=ON "${emulator[@]}"
fi
cmake --build build-i686 -j "$jobs"
ctest --test-dir build-i686 --output-on-failure -j "$jobs"
