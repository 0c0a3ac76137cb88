#!/usr/bin/env bash
# Builds everything and runs every test:
#   build/        the modules for the embedded host (current, legacy, unbuffered) and, when
#                 Octave's mkoctfile is installed, for Octave; unit, module, tool and Octave tests
#   build-asan/   the embedded host, modules and tests under AddressSanitizer and
#                 UndefinedBehaviorSanitizer
#   build-fuzz/   a short libFuzzer run of every module (MONTEMEX_FUZZ_SECONDS each, default 8)
#   build-win32/, build-win64/   the Windows builds, checked and (64-bit) run under wine64 when
#                 MinGW-w64 and wine64 are installed: scripts/windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

if ! command -v mkoctfile >/dev/null 2>&1; then
  echo "note: Octave (mkoctfile) not found; the Octave tests are skipped. .ci/run installs it." >&2
fi

cmake -S . -B build -DMONTEMEX_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -DMONTEMEX_TESTS=ON -DMONTEMEX_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# A short fuzzing run of every module (libFuzzer needs clang and its runtime).
if command -v clang++ >/dev/null 2>&1 && echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
    | clang++ -x c++ -fsanitize=fuzzer - -o /dev/null >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DMONTEMEX_FUZZ=ON -DMONTEMEX_FUZZ_SECONDS="${MONTEMEX_FUZZ_SECONDS:-8}"
  cmake --build build-fuzz -j "$jobs"
  ctest --test-dir build-fuzz --output-on-failure -j "$jobs"
else
  echo "note: clang with libFuzzer not found; the fuzzing run is skipped." >&2
fi

JOBS=$jobs ./scripts/windows.sh
