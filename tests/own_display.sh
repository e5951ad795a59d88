# Sourced by the end-to-end scripts that need a display or a Wine prefix of
# their own: starts exactly what they use and stops exactly that.
# shellcheck shell=bash

OWN_PIDS=()
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

# A compositor on the current display: Wine shows layered windows correctly
# only with one.
own_start_compositor() {
    xcompmgr >/dev/null 2>&1 &
    OWN_PIDS+=($!)
}

# A Wine prefix of this test's own under the build folder, made once and kept.
own_use_prefix() {
    export WINEPREFIX=$1 WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        own_log "creating Wine prefix $WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    fi
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
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
    rm -rf "$OWN_TMP"
}
