#!/usr/bin/env bash
# Builds everything and runs every test:
#   build/        the modules for the embedded host (current, legacy, unbuffered) and, when
#                 Octave's mkoctfile is installed, for Octave; unit, module, tool and Octave tests
#   build-i686/   the host, modules and unit, module and tool tests as 32-bit Linux programs, when
#                 g++-multilib is installed: scripts/linux32.sh
#   build-asan/   the embedded host, modules and tests under AddressSanitizer and
#                 UndefinedBehaviorSanitizer
#   build-fuzz/   a short libFuzzer run of every module (MONTEMEX_FUZZ_SECONDS each, default 8)
#   build-win32/, build-win64/   the Windows builds, checked and run under 32-bit wine and wine64
#                 when MinGW-w64 and wine are installed: scripts/windows.sh
# Each part prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
SECONDS=0
took() { echo "test: $1 took $SECONDS s"; SECONDS=0; }

if ! command -v mkoctfile >/dev/null 2>&1; then
  echo "note: Octave (mkoctfile) not found; the Octave tests are skipped. .ci/run installs it." >&2
fi

cmake -S . -B build -DMONTEMEX_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
took build

JOBS=$jobs ./scripts/linux32.sh
took build-i686

cmake -S . -B build-asan -DMONTEMEX_TESTS=ON -DMONTEMEX_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
took build-asan

# A short fuzzing run of every module (libFuzzer needs clang and its runtime).
if command -v clang++ >/dev/null 2>&1 && echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
    | clang++ -x c++ -fsanitize=fuzzer - -o /dev/null >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DMONTEMEX_FUZZ=ON -DMONTEMEX_FUZZ_SECONDS="${MONTEMEX_FUZZ_SECONDS:-8}"
  cmake --build build-fuzz -j "$jobs"
  ctest --test-dir build-fuzz --output-on-failure -j "$jobs"
else
  echo "note: clang with libFuzzer not found; the fuzzing run is skipped." >&2
fi
took build-fuzz

JOBS=$jobs ./scripts/windows.sh
took "the Windows builds"
