#!/usr/bin/env bash
# Runs each fuzz target for a while (FUZZ_SECONDS, default 60) on a corpus of
# its own under build/fuzz/corpus.
set -euo pipefail
tree=${1:-build/fuzz}
seconds=${FUZZ_SECONDS:-60}
for target in "$tree"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="$tree/corpus/$name"
    mkdir -p "$corpus"
    echo "== $name ($seconds s)"
    # The engine starts from the movies of the picture tests.
    seeds=()
    [ "$name" = fuzz_engine ] && seeds=("$(dirname "$0")/../tests/golden")
    "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" "${seeds[@]}"
done
