#!/bin/bash
# Checks the Windows builds of Dravik.dll and runs their Windows test programs
# under Wine.
#     scripts/wine-tests.sh <build-dir>...
# Every given build's Dravik.dll must import system DLLs only and export
# exactly the four entry points, undecorated. The programs listed in the
# build's wine-tests.list (tests/wine/*_test.cpp and the end-to-end host) then
# run against that DLL in a Wine prefix inside the build, with the loader of
# the build's bitness, and the build's dravik_stamp.exe must write what the
# native one writes. Any failure fails the script; the closing lines give
# each program's counts.
set -u

usage() {
    echo "usage: $0 <build-dir>..." >&2
    exit 2
}

[ $# -ge 1 ] || usage
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
failures=0
summary=()

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

# Runs one build's programs in its own prefix; the count of failed ones.
run_build() {
    local build=$1 list=$1/wine-tests.list failed=0 program log status counts
    if [ ! -f "$list" ]; then
        echo "FAIL: $list is missing; configure and build $build first"
        return 1
    fi
    # shellcheck source=wine-env.sh
    . "$scripts/wine-env.sh" "$build" || return 1
    echo "== $build: programs under $DRAVIK_WINE"
    while read -r program; do
        [ -n "$program" ] || continue
        echo "== $program ($build)"
        if [ ! -f "$build/$program" ]; then
            echo "FAIL: $program was not built"
            failed=$((failed + 1))
            continue
        fi
        # Run from the build folder, where Dravik.dll sits beside the program.
        log=$build/wine-logs/${program%.exe}.log
        mkdir -p "$build/wine-logs"
        # A program that hangs fails here instead of holding up the rest.
        (cd "$build" && timeout -k 10 900 "$DRAVIK_WINE" "./$program" </dev/null) | tee "$log"
        status=${PIPESTATUS[0]}
        counts=$(tr -d '\r' <"$log" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
        summary+=("$build $program: ${counts:-no summary line} (exit $status)")
        if [ "$status" -ne 0 ]; then
            echo "FAIL: $program"
            failed=$((failed + 1))
        fi
    done <"$list"

    # dravik_stamp: the native and the Windows build give the same output.
    echo "== dravik_stamp: native and Windows output ($build)"
    if ! "$scripts/../tests/tool/same_output_on_both_targets.sh" "$native_stamp" "$build"; then
        echo "FAIL: dravik_stamp output differs between the native build and $build"
        failed=$((failed + 1))
    fi
    "$DRAVIK_WINESERVER" -k 2>/dev/null
    return $failed
}

native_stamp=${DRAVIK_NATIVE_STAMP:-$scripts/../build/native/dravik_stamp}
for build in "$@"; do
    check_dll "$build/Dravik.dll" || failures=$((failures + 1))
    run_build "$build"
    failures=$((failures + $?))
done

echo "== wine test programs"
printf '%s\n' "${summary[@]}"
if [ $failures -ne 0 ]; then
    echo "wine tests: $failures failed"
    exit 1
fi
echo "wine tests: all passed"
