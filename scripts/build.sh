#!/usr/bin/env bash
# Configures and builds one configuration into build/<name>.
#   native | asan | tsan | release | win64 | win32
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=$1
case "$name" in
    native) args=(-DCMAKE_BUILD_TYPE=Debug) ;;
    asan) args=(-DCMAKE_BUILD_TYPE=Debug -DDRAVIK_SANITIZE=address) ;;
    tsan) args=(-DCMAKE_BUILD_TYPE=Debug -DDRAVIK_SANITIZE=thread) ;;
    release) args=(-DCMAKE_BUILD_TYPE=Release) ;;
    # With debug information, which scripts/dist.sh keeps beside the stripped
    # DLLs; it leaves the generated code as it is.
    win64) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-g -DCMAKE_CXX_FLAGS=-g
                 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
    win32) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-g -DCMAKE_CXX_FLAGS=-g
                 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    *) echo "unknown configuration: $name" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/build/$name" -G Ninja "${args[@]}" >/dev/null
cmake --build "$root/build/$name" -j2
