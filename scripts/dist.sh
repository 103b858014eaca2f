#!/usr/bin/env bash
# Makes the SDK a host developer downloads, in dist/: both DLLs stripped, their
# debug symbols beside them, the public header, the hosts' README and the
# version.
#   x64/Dravik.dll, x64/Dravik.dll.debug   for 64-bit hosts
#   x86/Dravik.dll, x86/Dravik.dll.debug   for 32-bit hosts
#   include/dravik/dravik.h, README.md, VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=$root/dist
"$root/scripts/setup.sh"

version=$(sed -n 's/^project(Dravik VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
# The DLL's own version record must name the same version.
if ! grep -q "\"FileVersion\", \"$version\"" "$root/resources/dravik.rc"; then
    echo "dist: resources/dravik.rc does not carry version $version" >&2
    exit 1
fi

rm -rf "$dist"
for target in "win64 x64 x86_64-w64-mingw32" "win32 x86 i686-w64-mingw32"; do
    read -r configuration folder tools <<<"$target"
    "$root/scripts/build.sh" "$configuration"
    mkdir -p "$dist/$folder"
    # The stripped DLL names its symbol file, so debuggers find it beside it.
    (cd "$dist/$folder" &&
        "$tools-objcopy" --only-keep-debug "$root/build/$configuration/Dravik.dll" Dravik.dll.debug &&
        "$tools-objcopy" --strip-all --add-gnu-debuglink=Dravik.dll.debug "$root/build/$configuration/Dravik.dll" Dravik.dll)
done

mkdir -p "$dist/include/dravik"
cp "$root/include/dravik/dravik.h" "$dist/include/dravik/"
cp "$root/include/README.md" "$dist/README.md"
echo "$version" >"$dist/VERSION"
echo "dist: Dravik $version in $dist"
(cd "$dist" && find . -type f | sort)
