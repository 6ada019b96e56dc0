#!/usr/bin/env bash
# Runs every test: once in the normal build, then again under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, with warnings as errors; builds Release too. Expects tools/setup.sh to have run.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Warnings are errors here (not in a user's build).
werror=-DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake -S . -B build "$werror" >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2

# Packagers build Release: it must build without a warning too.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release "$werror" "${launcher[@]}" >/dev/null
cmake --build build-release

cmake -S . -B build-asan -G Ninja -DPLEKTO_SANITIZE=ON -DPLEKTO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug "$werror" "${launcher[@]}"
cmake --build build-asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j2

# Each fuzz target for about a minute (longer runs: bash tools/fuzz.sh SECONDS).
bash tools/fuzz.sh 60
