#!/usr/bin/env bash
# The native dravik_stamp and the Windows one under Wine give byte-identical
# YUV4MPEG2 for the same input, through files and through pipes, and PNG
# pictures of the same pixels (libpng compresses natively, the Windows build
# stores). Runs in the Wine set-up of scripts/wine-env.sh, which it sources
# for the Windows build's folder.
#   same_output_on_both_targets.sh <native dravik_stamp> <folder of dravik_stamp.exe and Dravik.dll>
set -euo pipefail
native=$(realpath "$1")
windows_dir=$(cd "$2" && pwd)
# shellcheck source=../../scripts/wine-env.sh
. "$(dirname "$0")/../../scripts/wine-env.sh" "$windows_dir"
wine=$DRAVIK_WINE
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A clip of random pictures: header, then FRAME and the planes, per frame.
make_clip() { # header frame_bytes frames file
    printf '%s\n' "$1" >"$4"
    for _ in $(seq "$3"); do
        printf 'FRAME\n' >>"$4"
        head -c "$2" /dev/urandom >>"$4"
    done
}

check_same() { # what file_a file_b
    if cmp -s "$2" "$3"; then
        echo "same: $1"
    else
        echo "DIFFERENT: $1" >&2
        failures=$((failures + 1))
    fi
}

# The RGB rows of a PNG, whatever its compression and filters.
png_pixels() {
    python3 - "$1" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n'
at, idat = 8, b''
while at < len(data):
    length, kind = struct.unpack('>I4s', data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    if kind == b'IHDR':
        width, height, depth, colour = struct.unpack('>IIBB', body[:10])
        assert (depth, colour) == (8, 2)
    elif kind == b'IDAT':
        idat += body
    at += 12 + length
raw, stride, rows, previous = zlib.decompress(idat), width * 3, [], bytearray(width * 3)
for y in range(height):
    kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - 3] if i >= 3 else 0
        b = previous[i]
        c = previous[i - 3] if i >= 3 else 0
        if kind == 1: line[i] = (line[i] + a) & 255
        elif kind == 2: line[i] = (line[i] + b) & 255
        elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(bytes(line))
    previous = line
sys.stdout.buffer.write(b''.join(rows))
PY
}

make_clip "YUV4MPEG2 W320 H240 F30000:1001 It A1:1 C420mpeg2" $((320 * 240 * 3 / 2)) 4 "$work/planar420.y4m"
make_clip "YUV4MPEG2 W302 H50 F25:1 Ip C422" $((302 * 50 * 2)) 3 "$work/planar422.y4m"

for clip in planar420 planar422; do
    "$native" --snapshot "1:$work/$clip-native.png" "$work/$clip.y4m" "$work/$clip-native.y4m" 2>/dev/null
    (cd "$work" && "$wine" "$windows_dir/dravik_stamp.exe" --snapshot "1:$clip-windows.png" "$clip.y4m" "$clip-windows.y4m" 2>/dev/null)
    check_same "$clip stamped clip" "$work/$clip-native.y4m" "$work/$clip-windows.y4m"
    png_pixels "$work/$clip-native.png" >"$work/$clip-native.rgb"
    png_pixels "$work/$clip-windows.png" >"$work/$clip-windows.rgb"
    check_same "$clip snapshot pixels" "$work/$clip-native.rgb" "$work/$clip-windows.rgb"
done

# Pipes, with the overrides.
options=(--frame-time 200000 --interlace b)
"$native" "${options[@]}" - - <"$work/planar420.y4m" >"$work/pipe-native.y4m" 2>/dev/null
"$wine" "$windows_dir/dravik_stamp.exe" "${options[@]}" - - <"$work/planar420.y4m" >"$work/pipe-windows.y4m" 2>/dev/null
check_same "piped clip with overrides" "$work/pipe-native.y4m" "$work/pipe-windows.y4m"

# Malformed input: both refuse it the same way and write nothing.
head -c 100000 "$work/planar420.y4m" >"$work/truncated.y4m"
native_status=0 windows_status=0
"$native" "$work/truncated.y4m" "$work/truncated-native.y4m" 2>/dev/null || native_status=$?
(cd "$work" && "$wine" "$windows_dir/dravik_stamp.exe" truncated.y4m truncated-windows.y4m 2>/dev/null) || windows_status=$?
if [ "$native_status" -eq 1 ] && [ "$windows_status" -eq 1 ]; then
    echo "same: truncated input refused (exit 1)"
else
    echo "DIFFERENT: truncated input gave exit $native_status natively, $windows_status on Windows" >&2
    failures=$((failures + 1))
fi
check_same "truncated input's output" "$work/truncated-native.y4m" "$work/truncated-windows.y4m"

[ "$failures" -eq 0 ]
