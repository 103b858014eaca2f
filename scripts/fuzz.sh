#!/usr/bin/env bash
# Builds the fuzz harnesses with clang and libFuzzer (address and UB
# sanitizers) into build/fuzz and runs each for SECONDS (default 60), one
# after the other on one core, from its seed corpus and regression inputs.
# New inputs go to build/fuzz/runs/<harness>, not into the repository.
# Exits non-zero on any finding and prints the reproducer's path.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build/fuzz"
harnesses=(overlay_frame media_types properties helper_stream y4m)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O1 -g" \
    -DDRAVIK_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target "${harnesses[@]/%/_fuzzer}"

status=0
for harness in "${harnesses[@]}"; do
    run="$build/runs/$harness"
    mkdir -p "$run/corpus" "$run/findings"
    inputs=("$run/corpus" "$root/fuzz/corpus/$harness")
    [ -d "$root/fuzz/regressions/$harness" ] && inputs+=("$root/fuzz/regressions/$harness")
    echo "== $harness: ${seconds}s"
    if ! "$build/fuzz/${harness}_fuzzer" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$run/findings/" "${inputs[@]}" >"$run/log" 2>&1; then
        status=1
        echo "$harness: finding (log: $run/log)"
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|cov: ' "$run/log" | tail -3 || true
    for reproducer in "$run/findings"/*; do
        [ -e "$reproducer" ] || continue
        status=1
        echo "$harness: reproducer $reproducer"
    done
done
exit $status
