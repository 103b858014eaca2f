#!/usr/bin/env bash
# The module's main job on its built-in default: stamps the logo onto a
# 1920x1080 colour-bar clip through the helper filter, natively and with the
# Windows build under Wine, and writes the clip and a PNG under out/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win32
"$root/scripts/stamp-default.sh"
