#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into ./build-fuzz and runs each for a bounded time,
# keeping what each one learnt in build-fuzz/corpus/<target> for the next run.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/install-deps.sh

dir=build-fuzz
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DKAVRI_FUZZ=ON \
        -DKAVRI_BUILD_TESTS=OFF -DKAVRI_BUILD_BENCHMARKS=OFF
fi

# target name -> folder in fuzz/ that holds its sources, dictionary and seeds
declare -A area=([compose_fuzz]=compose [record_fuzz]=store)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(compose_fuzz)
    if [ -f fuzz/store/RecordFuzzer.cpp ]; then
        targets+=(record_fuzz)
    fi
fi
cmake --build "$dir" -j2 --target "${targets[@]}"

for target in "${targets[@]}"; do
    src=fuzz/${area[$target]}
    corpus=$dir/corpus/$target
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536
             -print_final_stats=1 -artifact_prefix="$dir/$target-")
    dict=$(ls "$src"/*.dict 2>/dev/null | head -n1 || true)
    if [ -n "$dict" ]; then
        options+=(-dict="$dict")
    fi
    seeds=()
    if [ -d "$src/seeds" ]; then
        seeds=("$src/seeds")
    fi
    echo "== $target for ${seconds}s"
    log=$dir/$target.log
    status=0
    "$dir/fuzz/$target" "${options[@]}" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
    grep -E "^Done|^stat::" "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log" >&2
        echo "$target failed (status $status); the input is in $dir/$target-*" >&2
        exit "$status"
    fi
done
