#!/usr/bin/env bash
# Sets up (packages, configure, build) and runs the program's main job on the
# default drum kit: with a display it opens the program; without one it
# renders the default song to out/default.WAV and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what the run needs: the program (with its two libraries, voxrender
# and the data it depends on); scripts/test.sh builds the tests and the
# benchmarks.
cmake --build build -j"$(nproc)" --target VorbelSteps
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: starting build/VorbelSteps"
  exec build/VorbelSteps "$@"
fi
mkdir -p out
wav="$(pwd)/out/default.WAV"
rm -f "$wav"
build/VorbelSteps "/R$wav"
echo "run.sh: no display; the default drum kit was rendered to $wav"
