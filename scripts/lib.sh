# Shared by scripts/test, scripts/run and scripts/bench: installing what is
# missing, building, and a private display with Wine on it.
# shellcheck shell=bash

VELLIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELLIX_BUILD=${VELLIX_BUILD:-$VELLIX_ROOT/build}
VELLIX_STARTED_PIDS=()
VELLIX_STARTED_GROUPS=()

vellix_log() { printf '[vellix] %s\n' "$*" >&2; }

# Whether the kernel runs 32-bit Linux programs (and so 32-bit Wine): a
# 100-byte static i386 program that only exits with status 7.
vellix_kernel_runs_32bit() {
    local probe=${TMPDIR:-/tmp}/vellix-elf32-$$
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local status=$?
    rm -f "$probe"
    [ $status -eq 7 ]
}

# Installs only what is missing; a machine that has everything installs nothing.
vellix_install() {
    # Wine loads the X client libraries for the display at run time, so no
    # package depends on them: name them all.
    # The test desktop is a Linux user's: Xfce's window manager with its
    # compositor, on a session bus of its own; Xephyr gives it two monitors;
    # xdotool types on its X keyboard; xcompmgr is the other desktop the
    # colour checks run on; cmark-gfm makes the help page from the README.
    local wanted=(cmake make python3 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb
                  xfwm4 dbus dbus-x11 x11-utils xserver-xephyr xcompmgr fonts-wine googletest
                  clang-14 libclang-rt-14-dev
                  libx11-6 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1
                  libx11-dev libxdamage-dev xdotool
                  libxcomposite1 libxfixes3 cmark-gfm "$@")
    # 32-bit Wine runs the shipped program itself, where the kernel can run it.
    local i386=0
    if vellix_kernel_runs_32bit; then
        i386=1
        wanted+=(wine32:i386)
    fi
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
    if [ $i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
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
    # The release package: Vellix-<version>-win32.zip in build/win32.
    (cd "$VELLIX_WIN32" && cpack -G ZIP >/dev/null) || { vellix_log "packaging failed"; return 1; }
    vellix_configure "$VELLIX_WIN64" mingw-x86_64.cmake -DVELLIX_TESTS="$tests" \
        -DVELLIX_PRODUCT_EXE="$VELLIX_WIN32/Vellix.exe" -DVELLIX_TEST_PE32="${VELLIX_PE32:-OFF}" ||
        return 1
    cmake --build "$VELLIX_WIN64" -j "$(nproc)"
}

# The Vellix.exe that Wine runs here: the shipped PE32 where 32-bit Wine runs
# (after vellix_probe_pe32), else the same sources built for 64-bit Windows.
vellix_runnable_exe() {
    if [ "${VELLIX_PE32:-OFF}" = ON ]; then
        echo "$VELLIX_WIN32/Vellix.exe"
    else
        echo "$VELLIX_WIN64/Vellix.exe"
    fi
}

vellix_free_display() {
    local n
    for n in $(seq "${1:-91}" 199); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"; return 0
        fi
    done
    return 1
}

# The desktop on $DISPLAY: a private session bus for xfwm4's settings, then
# xfwm4 with its compositor (Wine needs one for layered windows, and its screen
# reads must hold on a compositor that draws into its own overlay window).
# Waits until the window manager has taken the screen. xfwm4 joins
# VELLIX_STARTED_PIDS after the X server (scripts/bench counts it as the
# compositor); the bus's process group, with the settings daemon it starts,
# is stopped by vellix_stop_all.
VELLIX_STARTED_BUSES=()
vellix_start_desktop() {
    local bus pid
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || return 1
    VELLIX_STARTED_BUSES+=("$(sed -n 2p <<<"$bus")")
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
    VELLIX_DESKTOP_LOG=$(mktemp)
    NO_AT_BRIDGE=1 xfwm4 --compositor=on --replace >"$VELLIX_DESKTOP_LOG" 2>&1 &
    pid=$!
    VELLIX_STARTED_PIDS+=("$pid")
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || return 1
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    return 1
}

# A private Xvfb with the test desktop on it. A server that dies at start
# (another one took the number meanwhile, a missing library) is noticed at
# once and the next number tried.
vellix_start_display() {
    local n=90 pid log
    log=$(mktemp)
    for _ in 1 2 3 4 5; do
        n=$(vellix_free_display $((n + 1))) || { vellix_log "no free display number"; return 1; }
        Xvfb ":$n" -screen 0 "${VELLIX_SCREEN:-1280x1024x24}" -nolisten tcp >"$log" 2>&1 &
        pid=$!
        for _ in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pid" 2>/dev/null && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            VELLIX_STARTED_PIDS+=("$pid")
            break
        fi
        kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
        vellix_log "Xvfb :$n did not start: $(tail -n 3 "$log" | tr '\n' ' ')"
        pid=
    done
    rm -f "$log"
    [ -n "$pid" ] || return 1
    export DISPLAY=":$n"
    # The window manager has been seen to die at once now and then: it gets
    # two more tries, each with its last words logged.
    local try
    for try in 1 2 3; do
        if vellix_start_desktop; then
            rm -f "$VELLIX_DESKTOP_LOG"
            vellix_log "display $DISPLAY with xfwm4 and its compositor"
            return 0
        fi
        vellix_log "xfwm4 did not start on $DISPLAY (try $try): $(grep -v WARNING \
            "$VELLIX_DESKTOP_LOG" | tail -n 3 | tr '\n' ' ')"
        rm -f "$VELLIX_DESKTOP_LOG"
        sleep 1
    done
    return 1
}

# Only ever the private prefix in the build folder: a WINEPREFIX inherited
# from the environment is the user's own and stays untouched.
vellix_wine_env() {
    export WINEPREFIX=$VELLIX_BUILD/wineprefix
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    VELLIX_WINE_STARTED=1
}

vellix_start_wine() {
    vellix_wine_env
    # Wine makes the prefix folder but not the folders above it.
    mkdir -p "$VELLIX_BUILD"
    # A prefix made before 32-bit Wine was installed cannot run 32-bit
    # programs; it is private, so make it again.
    if [ -f "$WINEPREFIX/system.reg" ] && [ -x /usr/lib/wine/wine ] &&
       [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
        vellix_log "remaking $WINEPREFIX for 32-bit programs"
        "$WINESERVER" -k >/dev/null 2>&1
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        vellix_log "creating Wine prefix $WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    fi
    # A persistent server keeps every program start cheap.
    "$WINESERVER" -p
    "$WINELOADER" wineboot >/dev/null 2>&1 || true
    # Wine's windows are managed, as on a user's desktop (a prefix from the
    # days of the bare display had them unmanaged).
    "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
}

# Sets VELLIX_PE32=ON when a tiny PE32 console program prints under 32-bit
# Wine in the private prefix within seconds (after vellix_start_wine).
vellix_probe_pe32() {
    VELLIX_PE32=OFF
    local probe=$VELLIX_BUILD/probe32.exe
    if [ ! -f "$probe" ]; then
        printf '#include <stdio.h>\nint main(void) { puts("pe32 runs"); return 0; }\n' \
            >"$VELLIX_BUILD/probe32.c"
        i686-w64-mingw32-gcc -O1 -s -o "$probe" "$VELLIX_BUILD/probe32.c" 2>/dev/null || return 0
    fi
    [ -x /usr/lib/wine/wine ] || return 0
    if timeout 20 /usr/lib/wine/wine "$probe" 2>/dev/null | grep -q "pe32 runs"; then
        VELLIX_PE32=ON
    fi
}

# Runs a command in a process group of its own, in the background, so that
# stopping it stops everything it started (vellix_stop_all).
vellix_spawn() {
    setsid "$@" &
    VELLIX_STARTED_GROUPS+=($!)
    VELLIX_SPAWNED=$!
}

# Stops exactly what this script started.
vellix_stop_all() {
    local pid
    for pid in "${VELLIX_STARTED_GROUPS[@]}"; do
        kill -TERM -- "-$pid" 2>/dev/null || true
    done
    if [ -n "${VELLIX_WINE_STARTED:-}" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
    fi
    for pid in "${VELLIX_STARTED_GROUPS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    for pid in "${VELLIX_STARTED_BUSES[@]}"; do
        kill -- "-$pid" 2>/dev/null || true
    done
    VELLIX_STARTED_BUSES=()
    for pid in "${VELLIX_STARTED_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${VELLIX_STARTED_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    VELLIX_STARTED_PIDS=()
    VELLIX_STARTED_GROUPS=()
}

# Names each test that was skipped, whole or in part, with its reason, from
# CTest's log of the last run: a script's "SKIPPED: why" (its exit code 77
# makes CTest skip the test), and each GoogleTest case skipped inside a test
# program that ran, with the message GoogleTest printed after "Skipped".
vellix_report_skips() {
    [ -f "$1" ] || return 0
    awk '
        /^[0-9]+\/[0-9]+ Test: / { test = $3; why = ""; next }
        /^Command: / { next }
        /SKIPPED: / { s = $0; sub(/.*SKIPPED: /, "", s); printf "skipped: %s: %s\n", test, s; next }
        /: Skipped$/ { getline; why = $0; next }
        /^\[  SKIPPED \] [A-Za-z_0-9]+\.[^ ]+ \(/ {
            printf "skipped: %s %s: %s\n", test, $4, (why == "" ? "no reason given" : why)
            why = ""
        }
    ' "$1" | sort -u | while read -r line; do vellix_log "$line"; done
}
