#!/usr/bin/env bash
# Starts quenbrook.exe (the editor, no arguments) under wine. With a display
# it opens there; without one it runs on a virtual display inside a wine
# desktop, saves a screenshot once the window is up, and says where.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dist="$root/build/win/dist"
export WINEPREFIX="${QB_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wine-prefix.sh" ensure "$WINEPREFIX"

if [ -n "${DISPLAY:-}" ]; then
    cd "$dist"
    exec wine quenbrook.exe "$@"
fi

shot="$root/build/screenshot.png"
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 30 number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
cleanup() { wineserver -k 2>/dev/null || true; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT

cd "$dist"
wine explorer /desktop=Quenbrook,1024x768 quenbrook.exe "$@" &
for _ in $(seq 1 600); do
    if xdotool search --onlyvisible --name '^Quenbrook' >/dev/null 2>&1; then break; fi
    sleep 0.1
done
# Give the first paint a moment to land before the picture is taken.
sleep 2
import -window root "$shot"
echo "No display was set: the program ran on a virtual one. Screenshot: $shot"
