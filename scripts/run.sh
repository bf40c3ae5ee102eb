#!/usr/bin/env bash
# Sets up (packages, configure, build) and runs the program's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
echo "run.sh: built; the program is not there yet"
