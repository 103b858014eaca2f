#!/usr/bin/env bash
# The module's main job on its built-in default: builds both targets and
# loads the x86_64 DLL under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
for configuration in native win64 win32; do
    echo "== build $configuration"
    "$root/scripts/build.sh" "$configuration"
done
echo "== load Dravik.dll under Wine"
"$root/scripts/wine-tests.sh" "$root/build/win64"
