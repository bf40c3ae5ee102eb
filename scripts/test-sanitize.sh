#!/usr/bin/env bash
# The file readers' tests (WAV, song, Extended Instrument, preset, ZIP,
# bitmap, rich text) and the window suites built with AddressSanitizer and
# UBSan, so that a hostile file that reads out of bounds, leaks or
# overflows, or a window that touches a freed or half-destroyed object,
# fails the run even where the plain build passes.
# Expects the packages of scripts/install-deps.sh; CI runs it after
# scripts/test.sh (VS_CI_SANITIZE=0 leaves it out).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVS_SANITIZE=ON \
  -DVS_BUILD_BENCH=OFF -DVS_BUILD_APP=ON
cmake --build build-asan -j"$(nproc)" --target test_toolbox test_platform test_engine test_files test_voxrender \
  test_controls test_framework test_editors test_ui
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The window suites offscreen, each whole in one process: what the windows
# leave behind at exit counts too.
for suite in controls framework editors ui; do
  echo "== test_$suite under the sanitizers"
  QT_QPA_PLATFORM=offscreen build-asan/tests/test_$suite --gtest_brief=1
done
# The test suites named after the readers.
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 600 \
  -R '^(Formats/)?(WAV|Song|LoadSong|XI|Preset|Vox|Oscillator|Zip|SafeEntryPath|DIB|RTF)[A-Za-z]*\.'
