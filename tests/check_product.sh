#!/bin/sh
# Checks the shipped Vellix.exe: PE32 for i386, a GUI program, importing only Windows DLLs.
exe=$1
[ -f "$exe" ] || { echo "missing: $exe"; exit 1; }
head=$(i686-w64-mingw32-objdump -f "$exe") || exit 1
echo "$head" | grep -q "file format pei-i386" || { echo "not PE32 i386: $head"; exit 1; }
i686-w64-mingw32-objdump -p "$exe" | grep -q "Subsystem.*(Windows GUI)" || { echo "not a GUI program"; exit 1; }
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|user32.dll|gdi32.dll|shell32.dll|msvcrt.dll|winmm.dll|msimg32.dll|ole32.dll|advapi32.dll|comctl32.dll|shlwapi.dll|oleaut32.dll) ;;
    *) echo "not a Windows system DLL: $dll"; exit 1 ;;
  esac
done
# Its version, from the one place the build sets it, and its manifest; the
# about program shipped beside it carries the same version.
version=$2
has_version() {
    resources=$(i686-w64-mingw32-windres -i "$1" -O rc) || { echo "no resources in $1"; return 1; }
    echo "$resources" | grep -q "VALUE \"ProductVersion\", \"$version\"" &&
        echo "$resources" | grep -q "VALUE \"FileVersion\", \"$version\"" ||
        { echo "$1 does not carry version $version"; return 1; }
}
has_version "$exe" || exit 1
echo "$resources" | grep -q 'requestedExecutionLevel level=""asInvoker""' ||
    { echo "manifest without asInvoker"; exit 1; }
# DPI awareness in the form each Windows reads: "true/pm" before Windows 10
# 1607, and a list whose second name 1607 falls back to.
echo "$resources" | grep -q '<dpiAware[^>]*>true/pm</dpiAware>' &&
    echo "$resources" | grep -q '<dpiAwareness[^>]*>PerMonitorV2, PerMonitor</dpiAwareness>' ||
    { echo "manifest without per-monitor awareness for every Windows"; exit 1; }
# Calls newer than Windows XP are looked up at run time, never imported.
for late in SHGetKnownFolderPath ChangeWindowMessageFilterEx ChangeWindowMessageFilter \
            CreateWaitableTimerExW GetSystemMetricsForDpi SetWindowDisplayAffinity \
            GetWindowDisplayAffinity DwmSetWindowAttribute DwmFlush; do
    i686-w64-mingw32-objdump -p "$exe" | grep -qw "$late" &&
        { echo "imports $late, which older Windows lack"; exit 1; }
done
about="$(dirname "$exe")/About Box.exe"
if [ -f "$about" ]; then
    has_version "$about" || exit 1
fi
echo "version $version, manifest asInvoker and per-monitor aware"
