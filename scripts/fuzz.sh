#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# checks on every library) in a build directory of their own and runs each
# for the given number of seconds.
#   scripts/fuzz.sh [seconds-per-target=60] [target...]
# FUZZ_BUILD chooses the build directory (default build-fuzz). Findings are
# written to $FUZZ_BUILD/artifacts; the corpus grows in $FUZZ_BUILD/corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$here/build-fuzz}
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_json_parse fuzz_json_script)

if ! command -v clang++ >/dev/null; then
  echo "clang++ is not installed: nothing to fuzz with" >&2
  exit 0
fi
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DVORDANE_FUZZ=ON -DVORDANE_TESTS=OFF -DVORDANE_BENCH=OFF >/dev/null
fi
ninja -C "$build" "${targets[@]}" >/dev/null

mkdir -p "$build/artifacts"
status=0
for t in "${targets[@]}"; do
  seeds=$here/fuzz/seeds/${t#fuzz_json_}
  corpus=$build/corpus/$t
  mkdir -p "$corpus"
  echo "== $t for ${seconds}s"
  "$build/bin/$t" "$corpus" "$seeds" -dict="$here/fuzz/json.dict" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$build/artifacts/$t-" -print_final_stats=1 2>&1 |
    grep -E "^(==|#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss|SUMMARY|ERROR|Test unit written)" || true
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
exit $status
