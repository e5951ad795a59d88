#!/usr/bin/env bash
# The lens on scaled desktops: Wine at 144 and 192 DPI (LogPixels), each on a
# display and in a prefix of this test's own.
# Usage: high_dpi.sh TEST.exe Vellix.exe BUILD_DIR [gtest arguments]
set -u
test_exe=$1 vellix=$2 build=$3; shift 3
source "$(dirname "$0")/own_display.sh"
trap own_stop_all EXIT

own_start_x Xvfb -screen 0 1280x1024x24 -nolisten tcp || { own_log "no Xvfb"; exit 1; }
own_start_desktop || { own_log "xfwm4 did not start: $(tail -n 3 "$OWN_TMP/xfwm4.log")"; exit 1; }
own_use_prefix "$build/wineprefix-dpi"
status=0
for dpi in 144 192; do
    "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" \
        /f >/dev/null 2>&1
    # The new scale takes effect with a new wineserver.
    own_restart_wineserver
    own_log "$dpi DPI"
    VELLIX_DPI=$dpi "$WINELOADER" "$test_exe" "--vellix=$vellix" "$@" || status=1
done
exit $status
