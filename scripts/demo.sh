#!/usr/bin/env bash
# Builds everything and runs the main job: every function called once on the embedded host.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"
./build/bin/montemex --demo
