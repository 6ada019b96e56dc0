#!/usr/bin/env bash
# Runs every test: once in the normal build, then again under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/. Expects tools/setup.sh to have run.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

ctest --test-dir build --output-on-failure -j2

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-asan -G Ninja -DPLEKTO_SANITIZE=ON -DPLEKTO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}"
cmake --build build-asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j2

# Each fuzz target for about a minute (longer runs: bash tools/fuzz.sh SECONDS).
bash tools/fuzz.sh 60
