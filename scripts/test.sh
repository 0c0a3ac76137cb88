#!/usr/bin/env bash
# Checks the sources' layout, builds everything and runs every test, part by part, and ends with a summary of what each part
# did (passed, failed or skipped, and why) and how long it took. A part whose tools are missing
# is skipped with its reason; a failed part does not stop the others, but the run then fails.
#
#   build/        the modules for the embedded host (current, legacy, unbuffered) and, when
#                 Octave's mkoctfile is installed, for Octave; unit, module and tool tests, then
#                 the Octave tests (ctest -L octave)
#   tests/cluster chains as a Slurm job array on a cluster of two nodes the test starts itself
#   build-i686/   the host, modules and unit, module and tool tests as 32-bit Linux programs, when
#                 g++-multilib is installed: scripts/linux32.sh
#   build-asan/   the embedded host, modules and tests under AddressSanitizer and
#                 UndefinedBehaviorSanitizer
#   build-fuzz/   a short libFuzzer run of every module (MONTEMEX_FUZZ_SECONDS each, default 8)
#   build-octave9/  the Octave tests again in Octave 9 (Debian 13), when its chroot exists:
#                 scripts/octave9.sh
#   build-win32/, build-win64/   the Windows builds, checked and run under 32-bit wine and wine64
#                 when MinGW-w64 and wine are installed: scripts/windows.sh
#
# MONTEMEX_REQUIRE_OCTAVE=1 (set by .ci/run) makes a missing Octave a failure, not a skip.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
export JOBS=$jobs
MONTEMEX_SUMMARY=$(mktemp)
export MONTEMEX_SUMMARY
trap 'rm -f "$MONTEMEX_SUMMARY"' EXIT
source scripts/probe.sh
source scripts/summary.sh

build() {
  cmake -S . -B build -DMONTEMEX_TESTS=ON
  cmake --build build -j "$jobs"
}

octave_tests() {
  if ! command -v mkoctfile >/dev/null 2>&1 || [ ! -e build/octave/waitdraw.mex ]; then
    local why
    why=$(install_note octave)
    if [ "${MONTEMEX_REQUIRE_OCTAVE:-0}" = 1 ]; then
      echo "Octave is required here and not installed${why:+: $why}" >&2
      return 1
    fi
    echo "skipped: Octave (mkoctfile) not found${why:+: $why}; .ci/run installs it"
    return 77
  fi
  octave-cli --version | head -n 1
  ctest --test-dir build -L octave --output-on-failure -j "$jobs"
}

cluster() {
  if [ ! -e build/octave/waitdraw.mex ]; then
    echo "skipped: no Octave modules in build/octave"
    return 77
  fi
  # Bounded here too: the test bounds every wait of its own.
  timeout -k 30 600 tests/cluster/run.sh build/octave
}

sanitizers() {
  # The sanitizers' runtime may not start on every kernel (its shadow memory must fit the
  # address layout): a small program first.
  local probe=build-asan/sanitizer-probe
  mkdir -p build-asan
  if ! echo 'int main() { int a[2] = {0, 0}; return a[0]; }' | g++ -x c++ -fsanitize=address,undefined - -o "$probe" ||
      ! probe_run 60 "" "$probe"; then
    echo "skipped: programs built with -fsanitize=address,undefined do not run here: ${PROBE_REASON:-g++ could not build one}"
    return 77
  fi
  cmake -S . -B build-asan -DMONTEMEX_TESTS=ON -DMONTEMEX_SANITIZE=ON
  cmake --build build-asan -j "$jobs"
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
}

# A short fuzzing run of every module (libFuzzer needs clang and its runtime).
fuzzing() {
  local probe=build-fuzz/fuzzer-probe
  mkdir -p build-fuzz
  if ! command -v clang++ >/dev/null 2>&1 || ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
      clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o "$probe" >/dev/null 2>&1; then
    local why
    why=$(install_note clang)
    echo "skipped: clang with libFuzzer not found${why:+: $why}"
    return 77
  fi
  if ! probe_run 60 "" "$probe" -runs=10; then
    echo "skipped: a libFuzzer program does not run here: $PROBE_REASON"
    return 77
  fi
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DMONTEMEX_FUZZ=ON -DMONTEMEX_FUZZ_SECONDS="${MONTEMEX_FUZZ_SECONDS:-8}"
  cmake --build build-fuzz -j "$jobs"
  ctest --test-dir build-fuzz --output-on-failure -j "$jobs"
}

# The C and C++ sources as .clang-format has them (clang-format 14: other versions lay code out
# a little differently).
formatting() {
  local version
  version=$(clang-format --version 2>/dev/null | sed -n 's/.*version \([0-9]*\)\..*/\1/p')
  if [ "$version" != 14 ]; then
    echo "skipped: clang-format 14 not found${version:+ (found $version)}"
    return 77
  fi
  find src host include tests examples bench -type f | grep -E '\.(c|cc|cpp|h|hpp)$' | sort |
    xargs clang-format --dry-run --Werror
}

run_part "formatting (clang-format)" formatting
run_part "64-bit Linux build" build
run_part "unit, module and tool tests" ctest --test-dir build -LE octave --output-on-failure -j "$jobs"
run_part "Octave tests (Debian 12)" octave_tests
run_part "cluster: Slurm job arrays" cluster
run_part "32-bit Linux" scripts/linux32.sh
run_part "sanitizers (ASan, UBSan)" sanitizers
run_part "fuzzing (libFuzzer)" fuzzing
run_part "Octave 9 tests (Debian 13 chroot)" scripts/octave9.sh test
scripts/windows.sh || true # records its own parts
print_summary
