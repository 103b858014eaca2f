#!/usr/bin/env bash
# Every test: native (plain, address+UB sanitizers, thread sanitizer), both
# Windows builds, and the Wine tests of both DLLs (the x86_64 one under 64-bit
# Wine, the i686 one under 32-bit Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

for configuration in native asan tsan; do
    echo "== $configuration"
    "$root/scripts/build.sh" "$configuration"
    (cd "$root/build/$configuration" && ctest --output-on-failure -j2)
done

for configuration in win64 win32; do
    echo "== $configuration"
    "$root/scripts/build.sh" "$configuration"
done

echo "== wine"
"$root/scripts/wine-tests.sh" "$root/build/win64" "$root/build/win32"
