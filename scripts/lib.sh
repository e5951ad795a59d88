# Shared by scripts/test, scripts/run and scripts/bench: installing what is
# missing, building, and a private display with Wine on it.
# shellcheck shell=bash

VELLIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELLIX_BUILD=${VELLIX_BUILD:-$VELLIX_ROOT/build}
VELLIX_STARTED_PIDS=()

vellix_log() { printf '[vellix] %s\n' "$*" >&2; }

# Installs only what is missing; a machine that has everything installs nothing.
vellix_install() {
    # 64-bit Wine only: the machines we build on cannot execute 32-bit Linux
    # programs, so wine32 cannot run here and the tests run the 64-bit build.
    local wanted=(cmake make python3 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb
                  xcompmgr fonts-wine googletest clang-14 libclang-rt-14-dev "$@")
    local missing=() pkg
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    vellix_log "installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        vellix_log "not root: install these packages first"; return 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Two trees: win32 holds the shipped 32-bit Vellix.exe, win64 the same sources
# built for 64-bit Wine together with the tests.
VELLIX_WIN32=$VELLIX_BUILD/win32
VELLIX_WIN64=$VELLIX_BUILD/win64

vellix_configure() {
    local tree=$1 toolchain=$2; shift 2
    if [ ! -f "$tree/CMakeCache.txt" ]; then
        cmake -S "$VELLIX_ROOT" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$VELLIX_ROOT/cmake/$toolchain" \
            -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    else
        cmake -S "$VELLIX_ROOT" -B "$tree" "$@" >/dev/null
    fi
}

vellix_build() {
    local tests=${1:-ON}
    vellix_configure "$VELLIX_WIN32" mingw-i686.cmake -DVELLIX_TESTS=OFF || return 1
    cmake --build "$VELLIX_WIN32" -j "$(nproc)" || return 1
    vellix_configure "$VELLIX_WIN64" mingw-x86_64.cmake -DVELLIX_TESTS="$tests" \
        -DVELLIX_PRODUCT_EXE="$VELLIX_WIN32/Vellix.exe" || return 1
    cmake --build "$VELLIX_WIN64" -j "$(nproc)"
}

# The Vellix.exe that Wine can run on this machine.
vellix_runnable_exe() {
    echo "$VELLIX_WIN64/Vellix.exe"
}

vellix_free_display() {
    local n
    for n in $(seq 91 199); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"; return 0
        fi
    done
    return 1
}

# A private Xvfb with a compositor: without one Wine shows layered windows as black.
vellix_start_display() {
    local n
    n=$(vellix_free_display) || { vellix_log "no free display number"; return 1; }
    Xvfb ":$n" -screen 0 "${VELLIX_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
    VELLIX_STARTED_PIDS+=($!)
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
    xcompmgr >/dev/null 2>&1 &
    VELLIX_STARTED_PIDS+=($!)
    vellix_log "display $DISPLAY"
}

vellix_wine_env() {
    export WINEPREFIX=${WINEPREFIX:-$VELLIX_BUILD/wineprefix}
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

vellix_start_wine() {
    vellix_wine_env
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        vellix_log "creating Wine prefix $WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    fi
    # A persistent server keeps every program start cheap.
    "$WINESERVER" -p
    "$WINELOADER" wineboot >/dev/null 2>&1 || true
    # Without a window manager Wine waits up to 2 s for each managed window it
    # hides; unmanaged windows hide at once, as they do on Windows.
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
}

# Stops exactly what this script started.
vellix_stop_all() {
    if [ -n "${WINEPREFIX:-}" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
    fi
    local pid
    for pid in "${VELLIX_STARTED_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${VELLIX_STARTED_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    VELLIX_STARTED_PIDS=()
}
