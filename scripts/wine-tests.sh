#!/bin/bash
# Checks the Windows builds of Dravik.dll and runs the Windows test programs
# under Wine.
#     scripts/wine-tests.sh <build-win64-dir> [<build-win32-dir>]
# Every given build's Dravik.dll must import system DLLs only and export
# exactly the four entry points, undecorated. The programs listed in the
# x86_64 build's wine-tests.list (tests/wine/*_test.cpp) then run in a Wine
# prefix inside that build; any failure fails the script.
set -u

usage() {
    echo "usage: $0 <build-win64-dir> [<build-win32-dir>]" >&2
    exit 2
}

[ $# -ge 1 ] && [ $# -le 2 ] || usage
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
win64=$1
failures=0

# DLLs every Windows machine has; anything else would have to be shipped.
allowed_imports="advapi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll"
expected_exports="DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer"

check_dll() {
    local dll=$1 dumped imports exports name
    if [ ! -f "$dll" ]; then
        echo "FAIL: $dll was not built"
        return 1
    fi
    if ! dumped=$(x86_64-w64-mingw32-objdump -p "$dll"); then
        echo "FAIL: objdump cannot read $dll"
        return 1
    fi
    local status=0
    imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dumped" | tr 'A-Z' 'a-z' | sort -u)
    for name in $imports; do
        if [[ " $allowed_imports " != *" $name "* ]]; then
            echo "FAIL: $dll imports $name"
            status=1
        fi
    done
    [ $status -eq 0 ] && echo "PASS: $dll imports system DLLs only ($(echo $imports))"

    # The name pointer table: lines "[   n] Name" after its heading.
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] \([^ ]*\)$/\1/p' <<<"$dumped" | sort | tr '\n' ' ')
    if [ "${exports% }" = "$expected_exports" ]; then
        echo "PASS: $dll exports exactly $expected_exports"
    else
        echo "FAIL: $dll exports '${exports% }', expected '$expected_exports'"
        status=1
    fi
    return $status
}

for build in "$@"; do
    check_dll "$build/Dravik.dll" || failures=$((failures + 1))
done

list=$win64/wine-tests.list
if [ ! -f "$list" ]; then
    echo "FAIL: $list is missing; configure and build $win64 first"
    exit 1
fi

# shellcheck source=wine-env.sh
. "$scripts/wine-env.sh" "$win64" || exit 1

while read -r program; do
    [ -n "$program" ] || continue
    echo "== $program"
    if [ ! -f "$win64/$program" ]; then
        echo "FAIL: $program was not built"
        failures=$((failures + 1))
        continue
    fi
    # Run from the build folder, where Dravik.dll sits beside the program.
    if ! (cd "$win64" && "$DRAVIK_WINE" "./$program" </dev/null); then
        echo "FAIL: $program"
        failures=$((failures + 1))
    fi
done <"$list"

# dravik_stamp: the native and the Windows build give the same output.
echo "== dravik_stamp: native and Windows output"
native_stamp=${DRAVIK_NATIVE_STAMP:-$scripts/../build/native/dravik_stamp}
if ! "$scripts/../tests/tool/same_output_on_both_targets.sh" "$native_stamp" "$win64"; then
    echo "FAIL: dravik_stamp output differs between the native and the Windows build"
    failures=$((failures + 1))
fi
"$DRAVIK_WINESERVER" -k 2>/dev/null

if [ $failures -ne 0 ]; then
    echo "wine tests: $failures failed"
    exit 1
fi
echo "wine tests: all passed"
