#!/usr/bin/env bash
# Runs every benchmark: native ones from build/native/bench, Windows ones
# from build/win/bench under wine. Each prints its own results.
set -euo pipefail
cd "$(dirname "$0")/.."
found=0
for b in build/native/bench/bench_*; do
    [ -x "$b" ] || continue
    found=1
    echo "== $(basename "$b")"
    "$b"
done
for b in build/win/bench/bench_*.exe; do
    [ -f "$b" ] || continue
    found=1
    echo "== $(basename "$b") (under wine)"
    ./scripts/wine-run "$b"
done
[ $found = 1 ] || echo "no benchmarks built"
if [ -f build/win/dist/quenbrook.exe ]; then
    echo "== the screensaver (under wine)"
    python3 bench/player_bench.py
fi
