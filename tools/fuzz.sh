#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan) and runs each for
# SECONDS seconds (default 60) on a corpus seeded from fuzz/seeds and examples/.
# Longer runs: bash tools/fuzz.sh 1800. Findings are written to build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" > /dev/null
cmake --build build-fuzz
mkdir -p build-fuzz/findings
for target in fuzz_read fuzz_settings; do
  corpus=build-fuzz/corpus-$target
  mkdir -p "$corpus"
  cp -n fuzz/seeds/* examples/*.tab tests/regressions/*.tab "$corpus"/ 2>/dev/null || true
  echo "== $target for ${seconds}s"
  build-fuzz/$target "$corpus" -dict=fuzz/plekto.dict -max_total_time="$seconds" -max_len=4096 \
    -rss_limit_mb=4096 -timeout=120 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/$target- \
    2>&1 | grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==|SUMMARY|Test unit written)' || true
  # A finding leaves a crash-, leak-, timeout- or oom- file: fail the run. (A slow-unit-
  # file only says an input took long under the sanitizers; it is kept for a look.)
  if ls build-fuzz/findings/$target-{crash,leak,timeout,oom}-* > /dev/null 2>&1; then
    echo "$target found a problem: see build-fuzz/findings/"
    exit 1
  fi
done
