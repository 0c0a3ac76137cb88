#!/usr/bin/env bash
# Runs every benchmark in bench/ against the Octave build in build/octave (build it first with
# ./scripts/demo.sh or ./scripts/test.sh). Each prints its modules' times next to Octave's
# builtins or the vectorised code a user would write instead, measured in the same run, and the
# ratios. Timings depend on the machine's load; these are not tests.
set -euo pipefail
cd "$(dirname "$0")/.."
octave_run() { octave --no-gui --norc --no-history --quiet --eval "$1"; }

echo "== speed table";                  octave --no-gui --norc --quiet bench/speed_table.m
echo "== gamma family and Student t";   octave --no-gui --norc --quiet bench/gamma_bench.m
echo "== resampling";                   octave_run "addpath([pwd '/build/octave']); run('bench/resampling_bench.m')"
echo "== Bayesian bootstrap";           octave_run "addpath('build/octave'); addpath('bench'); bench_bootstrap"
echo "== conditional scale draw";       octave_run "run('bench/scalehyperdraw_bench.m')"
echo "== special functions";            octave_run "addpath([pwd '/build/octave']); run('bench/special_functions.m')"
echo "== peak memory, gamma family";    bash bench/gamma_memory.sh
echo "== worst cases, time per element at two sizes"
MALLOC_MMAP_THRESHOLD_=33554432 MALLOC_TRIM_THRESHOLD_=1073741824 octave --no-gui --norc --quiet bench/worst_cases.m
