#!/usr/bin/env bash
# Builds everything and runs the main job: with GNU Octave installed, the four demos (a particle
# filter comparing the resamplers, a Gibbs sampler, a Bayesian bootstrap, parallel Gibbs chains),
# each writing a PNG plot to build/demo/; without Octave, every function once on the embedded host.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

if command -v octave >/dev/null 2>&1 && [ -e build/octave/waitdraw.mex ]; then
  for demo in particle_filter gibbs_hierarchical bootstrap_median parallel_chains; do
    echo "== demo/$demo.m"
    octave --no-gui --norc --no-history --quiet "demo/$demo.m" build/demo
  done
  echo "Plots: $(ls build/demo/*.png | tr '\n' ' ')"
else
  echo "Octave not found: running every function once on the embedded host instead."
  ./build/bin/montemex --demo
fi
