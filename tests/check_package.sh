#!/bin/sh
# Checks the release ZIP: exactly the files a user needs, and the program
# starts from the unpacked folder as a user would start it there.
#   check_package.sh ZIP WINE E2E_TEST_PROGRAM RUN_PE32(ON/OFF)
zip=$1 wine=$2 e2e=$3 run32=$4
[ -f "$zip" ] || { echo "missing: $zip"; exit 1; }
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
(cd "$dir" && cmake -E tar xf "$zip") || { echo "cannot unpack $zip"; exit 1; }
expected="LICENSE README.md Vellix.exe rdc.cur"
# The about program ships once it is built beside the program, and so does the
# help page (a build without cmark-gfm makes none, and says so).
[ -f "$(dirname "$zip")/About Box.exe" ] && expected="About Box.exe $expected"
[ -f "$(dirname "$zip")/Vellix Help.html" ] && expected="$expected Vellix Help.html"
found=$(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
want=$(printf '%s\n' "About Box.exe" LICENSE README.md "Vellix Help.html" Vellix.exe rdc.cur |
       while read -r f; do case " $expected " in *" $f "*) echo "$f" ;; esac; done |
       LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$found" != "$want" ]; then
    echo "package holds: $found"
    echo "expected:      $want"
    exit 1
fi
echo "package holds: $found"
if [ "$run32" != ON ]; then
    echo "SKIPPED: 32-bit programs do not run here: the unpacked Vellix.exe was not started"
    exit 77
fi
# Started in Reading mode, the program shows rdc.cur as its pointer: judged
# here, where the X server can be asked, while the test holds the lens shown.
"$wine" "$e2e" "--vellix=$dir/Vellix.exe" &
e2e_pid=$!
pointer=1
for _ in $(seq 600); do
    if [ -f "$dir/pointer-ready" ]; then
        python3 "$(dirname "$0")/pointer_is_cursor.py" "$dir/rdc.cur" && pointer=0
        : >"$dir/pointer-judged"
        break
    fi
    kill -0 "$e2e_pid" 2>/dev/null || break
    sleep 0.1
done
wait "$e2e_pid"
status=$?
[ "$pointer" -eq 0 ] || { echo "the pointer was not the cursor from rdc.cur"; exit 1; }
exit $status
