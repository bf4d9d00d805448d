#!/usr/bin/env bash
# Takes the screenshots of the splash and of the Welcome, Licence and Guide
# pages under wine's virtual desktop, on the built-in sample package.
#   tests/e2e/first_pages_screenshots.sh BUILD_DIR OUT_DIR
# BUILD_DIR is a cross build with applier, tarvelion-builder, windriver,
# demo_app_1_0 and demo_app_2_0 built.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1") out=$(realpath -m "$2")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

"$root/tools/sample_folders.sh" "$build" "$work"
# The splash must stay up long enough to be photographed: a large patch
# data is not needed, the splash shows for 1.5 seconds in any case.
sed -i 's/^ShowSplash=.*/ShowSplash=1/' "$work/package/Update.ini"

export WINEPREFIX=${WINEPREFIX:-$root/build/first-pages-shots-wineprefix}
source "$root/tools/wine-env.sh"
builder=$(winpath "$build/bin/tarvelion-builder.exe")
wine "$builder" diff --old "$(winpath "$work/old")" --new "$(winpath "$work/new")" \
  --main DemoApp.exe --out "$(winpath "$work/Patch.dat")"
wine "$builder" pack --applier "$(winpath "$build/bin/applier.exe")" \
  --files "$(winpath "$work/package")" --patch "$(winpath "$work/Patch.dat")" \
  --out "$(winpath "$work/Update.exe")"

drive() { wine "$build/bin/windriver.exe" "$@"; }
shot() { sleep "${2:-1}"; import -window root "$out/$1.png"; echo "screenshot: $out/$1.png"; }

# Every program of this prefix runs on the virtual desktop "shot", so that
# the driver sees the same windows as the applier.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shot /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shot /d 1024x768 /f >/dev/null 2>&1
wine explorer /desktop=shot,1024x768 "$(winpath "$work/Update.exe")" >/dev/null 2>&1 &
desktop=$!
drive wait-window 0 Splash - 30000 >/dev/null
shot splash 0.3
sheet=$(drive wait-window 0 '#32770' Welcome 30000)
shot welcome
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Software Licence Agreement' 10000 >/dev/null
drive check "$sheet" 502 1 >/dev/null
shot licence
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'User Guide' 10000 >/dev/null
shot guide
drive sheet "$sheet" cancel >/dev/null
box=$(drive message-box 0 10000 | head -1)
drive answer "$box" yes >/dev/null
for _ in $(seq 100); do
  drive wait-window 0 quv - 100 >/dev/null 2>&1 || break
  sleep 0.2
done
kill $desktop 2>/dev/null || true
