#!/usr/bin/env bash
# Two monitors of different sizes for Wine: an Xephyr display with two
# Xinerama screens inside an Xvfb of our own, then the test program on it.
# Usage: multi_display.sh TEST.exe Vellix.exe BUILD_DIR [gtest arguments]
set -u
test_exe=$1 vellix=$2 build=$3; shift 3
source "$(dirname "$0")/own_display.sh"
trap own_stop_all EXIT

if ! command -v Xephyr >/dev/null; then
    own_log "SKIPPED: Xephyr is not installed (Debian package xserver-xephyr)"; exit 77
fi
own_start_x Xvfb -screen 0 2400x1100x24 -nolisten tcp || { own_log "SKIPPED: no Xvfb"; exit 77; }
# Without -extension RANDR Wine reads Xinerama and sees both monitors.
if ! own_start_x Xephyr +xinerama -extension RANDR -screen 1280x1024 -screen 1024x768 \
        -nolisten tcp; then
    own_log "SKIPPED: Xephyr could not start"; exit 77
fi
own_start_compositor
own_use_prefix "$build/wineprefix-multi"
own_restart_wineserver
"$WINELOADER" "$test_exe" "--vellix=$vellix" "$@"
