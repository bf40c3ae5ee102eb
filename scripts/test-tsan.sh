#!/usr/bin/env bash
# The tests of the layers below the windows (toolbox to sequencer) built with
# ThreadSanitizer: the mix thread, the step timer, the master clock, the
# MIDI input and the render thread against the window thread's edits. A
# data race fails the run (no second attempt: a race that shows once is one).
# Findings inside uninstrumented system libraries are suppressed by name in
# tests/support/tsan-suppressions.txt, each with the reason.
# Expects the packages of scripts/install-deps.sh; CI runs it after
# scripts/test.sh (VS_CI_SANITIZE=0 leaves it out).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVS_TSAN=ON \
  -DVS_BUILD_BENCH=OFF -DVS_BUILD_APP=OFF
cmake --build build-tsan -j"$(nproc)" --target test_toolbox test_platform test_model test_engine test_files test_core
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/support/tsan-suppressions.txt"
# Some kernels randomise mappings further than ThreadSanitizer's memory
# layout allows; without randomisation it always finds its place.
run=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
  run=(setarch "$(uname -m)" -R)
fi
# The suites of the other layers are not built here: their discovered tests
# stand as NOT_BUILT and their whole-suite runs name a missing program.
skip="NOT_BUILT"
for suite in $(ctest --test-dir build-tsan -N | sed -n 's/^ *Test *#[0-9]*: \(.*\)\.shuffled$/\1/p'); do
  [[ -x build-tsan/tests/test_$suite ]] || skip+="|^$suite\.shuffled\$"
done
"${run[@]}" ctest --test-dir build-tsan --output-on-failure -j"$(nproc)" --timeout 900 -E "$skip"
