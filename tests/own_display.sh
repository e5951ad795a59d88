# Sourced by the end-to-end scripts that need a display or a Wine prefix of
# their own: starts exactly what they use and stops exactly that.
# shellcheck shell=bash

OWN_PIDS=()
OWN_BUSES=()  # session buses, each stopped with its process group
OWN_TMP=$(mktemp -d)

own_log() { printf '[%s] %s\n' "$(basename "$0")" "$*"; }

# Starts an X server with -displayfd (the server picks a free number itself,
# so parallel runs cannot collide) and exports DISPLAY. $1 names the program.
own_start_x() {
    local fd_file=$OWN_TMP/display.$RANDOM
    : >"$fd_file"
    "$@" -displayfd 5 5>"$fd_file" >"$fd_file.log" 2>&1 &
    OWN_PIDS+=($!)
    local pid=$! i
    for i in $(seq 1 100); do
        [ -s "$fd_file" ] && break
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    [ -s "$fd_file" ] || return 1
    export DISPLAY=":$(tr -d '\n' <"$fd_file")"
}

# The desktop a Linux user has on the current display: xfwm4 with its
# compositor (Wine shows layered windows correctly only with one), its
# settings on a private session bus. Waits until it has taken the screen.
# A window manager that ends at once (seen once while another started) is
# started again.
own_start_desktop() {
    local bus pid
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || return 1
    OWN_BUSES+=("$(sed -n 2p <<<"$bus")")
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
    for _ in 1 2 3; do
        NO_AT_BRIDGE=1 xfwm4 --compositor=on --replace >"$OWN_TMP/xfwm4.log" 2>&1 &
        pid=$!
        OWN_PIDS+=("$pid")
        for _ in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            sleep 0.1
        done
        sleep 0.5
    done
    return 1
}

# A Wine prefix of this test's own under the build folder, made once and kept.
own_use_prefix() {
    export WINEPREFIX=$1 WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        own_log "creating Wine prefix $WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    fi
    # Managed windows, as on a user's desktop.
    "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
}

own_restart_wineserver() {
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    "$WINESERVER" -p
}

# Stops what was started after the first $1 processes, newest first (the
# compositor and nested servers before their host), and the prefix's server.
own_stop_since() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1
    local i pid
    for ((i = ${#OWN_PIDS[@]} - 1; i >= $1; i--)); do
        pid=${OWN_PIDS[i]}
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
        unset 'OWN_PIDS[i]'
    done
}

own_stop_all() {
    own_stop_since 0
    local bus
    for bus in "${OWN_BUSES[@]}"; do kill -- "-$bus" 2>/dev/null; done
    rm -rf "$OWN_TMP"
}
