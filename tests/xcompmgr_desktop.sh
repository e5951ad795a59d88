#!/usr/bin/env bash
# The colour checks on the other desktop Linux users have: no window manager,
# xcompmgr composing into the root window. There Wine's black layer at alpha 1
# stays in the screen reads over the lens, so the Windows path under Wine is
# found blended; the program users run must prove its reads exact there too.
# Its own display, and its own prefix with unmanaged windows (without a
# window manager nobody confirms a hide, and Wine would wait for it).
# Usage: xcompmgr_desktop.sh TEST.exe BUILD_DIR VELLIX.exe WINDOWS_PATH.exe [SHIPPED_PE32.exe]
set -u
test_exe=$1 build=$2 vellix=$3 windows_path=$4 pe32=${5:-}
source "$(dirname "$0")/own_display.sh"
trap own_stop_all EXIT

if ! command -v xcompmgr >/dev/null; then
    own_log "SKIPPED: xcompmgr is not installed (Debian package xcompmgr)"; exit 77
fi
own_start_x Xvfb -screen 0 1280x1024x24 -nolisten tcp || { own_log "no Xvfb"; exit 1; }
xcompmgr >"$OWN_TMP/xcompmgr.log" 2>&1 &
OWN_PIDS+=($!)
own_use_prefix "$build/wineprefix-xcompmgr"
"$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
own_restart_wineserver
kill -0 "${OWN_PIDS[-1]}" 2>/dev/null ||
    { own_log "xcompmgr ended: $(tail -n 3 "$OWN_TMP/xcompmgr.log")"; exit 1; }
status=0
own_log "the x86_64 build and the Windows path"
"$WINELOADER" "$test_exe" "--vellix=$vellix" "--windows-path=$windows_path" \
    --gtest_filter='ColourCheck.ReadsAreProven*:ColourCheck.*FoundBlended*' || status=1
if [ -n "$pe32" ]; then
    own_log "the shipped 32-bit program"
    "$WINELOADER" "$test_exe" "--vellix=$pe32" --gtest_filter='ColourCheck.ReadsAreProven*' ||
        status=1
fi
exit $status
