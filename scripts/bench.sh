#!/usr/bin/env bash
# Runs the benchmarks in bench/ against the Octave build in build/octave (build it first with
# ./scripts/demo.sh or ./scripts/test.sh). Each prints its modules' times next to Octave's
# builtins or the vectorised code a user would write instead, measured in the same run, and the
# ratios. Timings depend on the machine's load; these are not tests.
#
#   ./scripts/bench.sh [--before REV] [PART...]
#
# PARTs, in the order they run (all of them by default):
#   small       bench/small_calls.m: every module's small call against the host's floor and the
#               builtins, host calls counted; a Gibbs sweep and a particle-filter step
#   speed       bench/speed_table.m: a million elements against the builtins
#   gamma       bench/gamma_bench.m        resampling  bench/resampling_bench.m
#   bootstrap   bench/bench_bootstrap.m    scale       bench/scalehyperdraw_bench.m
#   special     bench/special_functions.m: psivalue and squashfn on 1e7 elements
#   memory      bench/gamma_memory.sh      worst       bench/worst_cases.m
# --before REV builds the Octave modules of git revision REV (a commit, a branch) in
# build-before/ and times them in the same runs as build/octave where a part can (small, speed),
# as <name>_before; MONTEMEX_BENCH_BEFORE=FOLDER does the same with modules already built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

parts=()
before=""
while [ $# -gt 0 ]; do
  case "$1" in
    --before) before=${2:?--before needs a git revision}; shift 2 ;;
    small | speed | gamma | resampling | bootstrap | scale | special | memory | worst) parts+=("$1"); shift ;;
    *) echo "bench.sh: unknown part '$1'" >&2; exit 2 ;;
  esac
done
[ ${#parts[@]} -gt 0 ] || parts=(small speed gamma resampling bootstrap scale special memory worst)

if [ ! -e build/octave/waitdraw.mex ] || [ ! -e build/octave-bench/floor_empty.mex ]; then
  echo "bench.sh: build/octave and build/octave-bench are missing: run ./scripts/demo.sh first" >&2
  exit 2
fi

if [ -n "$before" ]; then
  # Only the Octave modules of that revision, from a clean copy of its files.
  rm -rf build-before
  mkdir -p build-before/src
  git archive "$before" | tar -x -C build-before/src
  cmake -S build-before/src -B build-before/build -DMONTEMEX_TESTS=OFF >/dev/null
  targets=()
  for name in $(ls build-before/src/inst/*.m | xargs -n1 basename | sed 's/\.m$//'); do
    [ -e "build-before/src/src/"*/"$name.cpp" ] && targets+=(--target "${name}_octave")
  done
  cmake --build build-before/build -j "$(nproc 2>/dev/null || echo 2)" "${targets[@]}" >/dev/null
  export MONTEMEX_BENCH_BEFORE=$root/build-before/build/octave
  echo "before: $before ($(git rev-parse --short "$before")), modules in $MONTEMEX_BENCH_BEFORE"
fi

octave_run() { octave --no-gui --norc --no-history --quiet --eval "$1"; }
for part in "${parts[@]}"; do
  case "$part" in
    small)      echo "== small calls";                octave --no-gui --norc --quiet bench/small_calls.m ;;
    speed)      echo "== speed table";                octave --no-gui --norc --quiet bench/speed_table.m ;;
    gamma)      echo "== gamma family and Student t"; octave --no-gui --norc --quiet bench/gamma_bench.m ;;
    resampling) echo "== resampling";                 octave_run "addpath([pwd '/build/octave']); run('bench/resampling_bench.m')" ;;
    bootstrap)  echo "== Bayesian bootstrap";         octave_run "addpath('build/octave'); addpath('bench'); bench_bootstrap" ;;
    scale)      echo "== conditional scale draw";     octave_run "run('bench/scalehyperdraw_bench.m')" ;;
    special)    echo "== special functions";          octave_run "run('bench/special_functions.m')" ;;
    memory)     echo "== peak memory, gamma family";  bash bench/gamma_memory.sh ;;
    worst)
      echo "== worst cases, time per element at two sizes"
      MALLOC_MMAP_THRESHOLD_=33554432 MALLOC_TRIM_THRESHOLD_=1073741824 octave --no-gui --norc --quiet bench/worst_cases.m ;;
  esac
done
