#!/bin/sh
# Runs every fuzz target of the fuzz build for RUNS inputs (default 1000000), one after the other,
# with a corpus per target in build-fuzz/corpus/ and anything found in build-fuzz/finds/.
# Usage: cmake --preset fuzz && cmake --build --preset fuzz && fuzz/run.sh [RUNS] [TARGET...]
set -eu
cd "$(dirname "$0")/.."
runs=${1:-1000000}
[ $# -gt 0 ] && shift
targets=${*:-"codepage console_chunker console_language console_processor server_properties ini"}
mkdir -p build-fuzz/finds
for target in $targets; do
    mkdir -p "build-fuzz/corpus/$target"
    seeds=""
    [ -d "fuzz/seeds/$target" ] && seeds="fuzz/seeds/$target"
    echo "== $target"
    build-fuzz/fuzz/${target}_fuzz -runs="$runs" -max_len=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/finds/$target-" "build-fuzz/corpus/$target" $seeds 2>&1 |
        grep -E '^(stat::|Done|==[0-9]+==|SUMMARY|invariant)' || true
done
