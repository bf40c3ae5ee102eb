#!/usr/bin/env bash
# Renders the main window, every other window and the control gallery in the
# default style to PNG files under out/screens/ (or the folder given by
# VS_SCREENS_OUT). Pages can be named: scripts/screenshots.sh main-window
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vs_screens vs_art voxrender
out="${VS_SCREENS_OUT:-out/screens}"
QT_QPA_PLATFORM=offscreen build/vs_screens "$out" "$@"
