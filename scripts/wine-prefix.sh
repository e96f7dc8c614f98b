#!/usr/bin/env bash
# ensure [PREFIX]: makes a wine prefix ready for our programs (once), with
# sound going to ALSA so that a test's asound.conf decides where it ends up.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cmd=${1:-ensure}
export WINEPREFIX="${2:-${QB_WINEPREFIX:-$here/../build/wineprefix}}"
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: nothing of ours needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$cmd" in
ensure)
    if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.qb-ready-5" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1 || true
        # A crashing program ends instead of waiting in the debugger: tests
        # must see the crash, not hang until their time-out.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f >/dev/null 2>&1 || true
        # The debugger writes its report (registers, backtrace, modules) on
        # the program's standard output, which a test may be reading as the
        # program's own lines, or may not keep at all: it goes to standard
        # error instead, where the test's log of the program keeps it. The
        # full paths are needed: the debugger's command finds nothing by name.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
            /d 'C:\windows\system32\cmd.exe /c C:\windows\system32\winedbg.exe --auto %ld %ld 1>&2' /f >/dev/null 2>&1 || true
        # And no crash dialog waits on the test's screen.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
        # Menus and message boxes draw with the system font, which has no
        # Chinese; linking it to a CJK font shows Chinese there as Windows does.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ \
            /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
        wineserver -w
        touch "$WINEPREFIX/.qb-ready-5"
    fi
    ;;
*)
    echo "usage: $0 ensure [PREFIX]" >&2
    exit 2
    ;;
esac
