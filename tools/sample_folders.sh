#!/usr/bin/env bash
# Lays out the built-in sample in folder WORK: old/ and new/ (versions 1.0
# and 2.0 of the sample program) and package/ (the package's own files with
# its bitmaps), ready for the builder's diff and pack.
#   tools/sample_folders.sh WIN_BUILD_DIR WORK
# WIN_BUILD_DIR is a cross build with demo_app_1_0 and demo_app_2_0 built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1 work=$2
rm -rf "$work/old" "$work/new" "$work/package"
mkdir -p "$work"/{old,new,package}
cp -r "$root"/samples/program/common/. "$root"/samples/program/v1/. "$work/old/"
cp -r "$root"/samples/program/common/. "$root"/samples/program/v2/. "$work/new/"
cp "$build/samples/v1.0/DemoApp.exe" "$work/old/"
cp "$build/samples/v2.0/DemoApp.exe" "$work/new/"
cp "$root"/samples/package/* "$work/package/"
"$root/tools/make_sample_bitmaps.sh" "$work/package"
