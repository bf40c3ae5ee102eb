#!/usr/bin/env bash
# Sets up (packages, configure, build) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Everything: the program, the tests, the benchmarks and the tools.
cmake --build build -j"$(nproc)"
# Real-time tests share the machine with the rest of the suite: a test that
# fails is run once more before it counts.
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 300 --repeat until-pass:2
