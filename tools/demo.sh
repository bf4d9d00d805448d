#!/usr/bin/env bash
# The main job on the built-in sample: build everything, make the sample's
# update package with the builder, install version 1.0 of the sample program
# into the wine prefix and run the package on it.
#
#   tools/demo.sh [--out DIR] [--headless]
#
# With a display (DISPLAY set, no --headless) the wizard opens for you to click
# through. Without one it runs under a private Xvfb, drives the wizard itself,
# applies the update, and writes a screenshot of every page, the update log
# and a summary into DIR (default build/demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$root/build/demo
headless=
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --headless) headless=1; shift ;;
    *) echo "usage: tools/demo.sh [--out DIR] [--headless]" >&2; exit 2 ;;
  esac
done
[ -n "${DISPLAY:-}" ] || headless=1

tools/setup.sh
jobs=$(nproc)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j"$jobs" --target tarvelion-builder
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$jobs" --target applier demo_app_1_0 demo_app_2_0 windriver

# The two versions of the sample program and the package's own files.
work=$out/work
rm -rf "$work" && mkdir -p "$work"
tools/sample_folders.sh build/win "$work"

# The package: its own files and the patch data, appended to the applier.
builder=build/native/bin/tarvelion-builder
"$builder" diff --old "$work/old" --new "$work/new" --main DemoApp.exe --out "$work/Patch.dat"
"$builder" pack --applier build/win/bin/applier.exe --files "$work/package" \
  --patch "$work/Patch.dat" --out "$out/TarvelionDemoUpdate.exe"
echo "demo: package $out/TarvelionDemoUpdate.exe ($(stat -c %s "$out/TarvelionDemoUpdate.exe") bytes)"

# Version 1.0 installed where the package's settings look for it.
export WINEPREFIX=${WINEPREFIX:-$root/build/demo-wineprefix}
[ -n "$headless" ] || export TARVELION_USE_DISPLAY=1
source tools/wine-env.sh
installed="$WINEPREFIX/drive_c/Program Files/Tarvelion Demo"
rm -rf "$installed" && mkdir -p "$installed" && cp -r "$work/old/." "$installed/"
package_windows="Z:$(echo "$out/TarvelionDemoUpdate.exe" | tr / '\\')"

if [ -z "$headless" ]; then
  echo "demo: starting the update package on your display"
  wine "$package_windows" || true
else
  tools/demo_drive.sh "$package_windows" "$out" build/win/bin/windriver.exe
  cp "$installed/Tarvelion.log" "$out/Tarvelion.log" 2>/dev/null || true
fi

if diff -r --exclude=Tarvelion.log --exclude=Tarvelion.bak "$work/new" "$installed" >/dev/null; then
  echo "demo: the installed program is now version 2.0 (it equals the new folder)"
  result=0
else
  echo "demo: the installed program does not equal version 2.0"
  result=1
fi
[ -z "$headless" ] || echo "demo: screenshots and the update log are in $out"
exit $result
