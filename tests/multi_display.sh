#!/usr/bin/env bash
# Two monitors of different sizes for Wine: an Xephyr display with two
# Xinerama screens inside an Xvfb of our own, then the test program on it;
# with the second monitor right of the primary, left of it and lower, and
# above it (negative coordinates). The first screen is Wine's primary.
# Usage: multi_display.sh TEST.exe Vellix.exe BUILD_DIR [gtest arguments]
set -u
test_exe=$1 vellix=$2 build=$3; shift 3
source "$(dirname "$0")/own_display.sh"
trap own_stop_all EXIT

if ! command -v Xephyr >/dev/null; then
    own_log "SKIPPED: Xephyr is not installed (Debian package xserver-xephyr)"; exit 77
fi
# From here on two monitors are started: the test fails if it sees one.
export VELLIX_MONITORS=2
own_start_x Xvfb -screen 0 2400x1100x24 -nolisten tcp || { own_log "SKIPPED: no Xvfb"; exit 77; }
host=$DISPLAY
host_pids=${#OWN_PIDS[@]}
status=0
# The one on the right reaches below the lens's home, so that a pointer low on
# it would have sent the lens aside had the avoidance no right edge.
for layout in "right of:-origin 0,0 -screen 1280x1024 -origin 1280,200 -screen 1024x900" \
              "left of:-origin 1024,0 -screen 1280x1024 -origin 0,128 -screen 1024x768" \
              "above:-origin 0,768 -screen 1280x1024 -origin 128,0 -screen 1024x768"; do
    export DISPLAY=$host
    # Without -extension RANDR Wine reads Xinerama and sees both monitors.
    # shellcheck disable=SC2086
    if ! own_start_x Xephyr +xinerama -extension RANDR ${layout#*:} -nolisten tcp; then
        own_log "Xephyr could not start"; exit 1
    fi
    own_start_desktop || { own_log "xfwm4 did not start: $(tail -n 3 "$OWN_TMP/xfwm4.log")"; exit 1; }
    own_use_prefix "$build/wineprefix-multi"
    own_restart_wineserver
    own_log "second monitor ${layout%%:*} the primary"
    "$WINELOADER" "$test_exe" "--vellix=$vellix" "$@" || status=1
    own_stop_since "$host_pids"
done
exit $status
