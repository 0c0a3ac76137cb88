#!/usr/bin/env bash
# The main job: builds what it needs and nothing more (no test programs), then runs it. With GNU
# Octave installed, the demos (a particle filter comparing the resamplers, a Gibbs sampler, a
# Bayesian bootstrap, parallel Gibbs chains, and the eight schools written for MATLAB and Octave
# alike), each writing a PNG plot to build/demo/; without Octave, every function once on the
# embedded host. A fresh build/ is configured without the tests, so GoogleTest is not needed
# (./scripts/test.sh turns them on).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -e build/CMakeCache.txt ]; then
  cmake -S . -B build
else
  cmake -S . -B build -DMONTEMEX_TESTS=OFF
fi
cmake --build build --target main_job -j "$(nproc 2>/dev/null || echo 2)"

if command -v octave >/dev/null 2>&1 && [ -e build/octave/waitdraw.mex ]; then
  for demo in particle_filter gibbs_hierarchical bootstrap_median parallel_chains; do
    echo "== demo/$demo.m"
    octave --no-gui --norc --no-history --quiet "demo/$demo.m" build/demo
  done
  echo "== demo/eight_schools.m"
  octave --no-gui --norc --no-history --quiet \
    --eval "addpath('build/octave'); addpath('demo'); eight_schools('build/demo')"
  echo "Plots: $(ls build/demo/*.png | tr '\n' ' ')"
else
  echo "Octave not found: running every function once on the embedded host instead."
  ./build/bin/montemex --demo
fi
