#!/usr/bin/env bash
# Runs every test: native (plain and sanitized), Windows under wine, and the
# end-to-end tests against the real program; ends with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
status=0

run_ctest() {  # tree, label
    local tree=$1 label=$2
    echo "== $label tests ($tree)"
    rm -rf "$tree/test-results"
    mkdir -p "$tree/test-results"
    (cd "$tree" && ctest --output-on-failure --timeout 300 -j1) || status=1
}

# One private X server for every Windows test of the run, never the user's display.
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 30 number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number" QB_E2E_DISPLAY=":$number"
trap 'WINEPREFIX="$root/build/wineprefix" wineserver -k 2>/dev/null; kill $xvfb_pid 2>/dev/null || true' EXIT

run_ctest build/native native
run_ctest build/native-san sanitized
./scripts/wine-prefix.sh ensure
run_ctest build/win windows

echo "== end-to-end tests"
rm -f build/e2e-results.json
python3 tests/e2e/run.py --results build/e2e-results.json || status=1

python3 scripts/test-summary.py build/native build/native-san build/win -- build/e2e-results.json || status=1
exit $status
