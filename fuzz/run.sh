#!/bin/sh
# Runs every fuzz target of the fuzz build for RUNS inputs (default 1000000), all at once (set
# VELK_FUZZ_SERIAL=1 for one after the other), with a corpus per target in build-fuzz/corpus/,
# anything found in build-fuzz/finds/ and each target's output in build-fuzz/<target>.log.
# Usage: cmake --preset fuzz && cmake --build --preset fuzz && fuzz/run.sh [RUNS] [TARGET...]
set -eu
cd "$(dirname "$0")/.."
runs=${1:-1000000}
[ $# -gt 0 ] && shift
targets=${*:-"codepage console_chunker console_language console_processor server_properties ini"}
mkdir -p build-fuzz/finds
run() {
    target=$1
    mkdir -p "build-fuzz/corpus/$target"
    seeds=""
    [ -d "fuzz/seeds/$target" ] && seeds="fuzz/seeds/$target"
    # Settings files and console chunks are small; longer inputs only slow the file-writing targets.
    build-fuzz/fuzz/${target}_fuzz -runs="$runs" -max_len=1024 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/finds/$target-" "build-fuzz/corpus/$target" $seeds \
        > "build-fuzz/$target.log" 2>&1 || true
    echo "== $target"
    grep -E '^(stat::(number_of_executed_units|average_exec_per_sec)|Done|==[0-9]+==|SUMMARY|invariant)' \
        "build-fuzz/$target.log" || true
}
for target in $targets; do
    if [ "${VELK_FUZZ_SERIAL:-0}" = 1 ]; then run "$target"; else run "$target" & fi
done
wait
