#!/usr/bin/env bash
# The module's main job on its built-in default: dravik_stamp stamps the logo
# onto a 1920x1080 colour-bar clip through the helper filter, natively and with
# the Windows build under Wine, and says where the pictures are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" native
"$root/scripts/build.sh" win64

echo "== native: build/native/dravik_stamp"
(cd "$root" && "$root/build/native/dravik_stamp")

echo "== Windows build under Wine: build/win64/dravik_stamp.exe with Dravik.dll next to it"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$root/build/win64"
(cd "$root/build/win64" && "$DRAVIK_WINE" ./dravik_stamp.exe)

if cmp -s "$root/out/stamped.y4m" "$root/build/win64/out/stamped.y4m"; then
    echo "both builds wrote the same stamped clip"
else
    echo "the native and the Windows build wrote different clips" >&2
    exit 1
fi
echo "picture: $root/out/stamped.png"
echo "picture (Windows build): $root/build/win64/out/stamped.png"
