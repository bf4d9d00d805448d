#!/usr/bin/env bash
# Takes the screenshots of the wizard's road (Destination page, a message box,
# the progress dialog, the Results and Finish pages) under wine's virtual
# desktop, on the built-in sample with the overwrite question switched on.
#   tests/e2e/wizard_road_screenshots.sh BUILD_DIR OUT_DIR
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
sed -i 's/^Silence=.*/Silence=0/' "$work/package/Update.ini"

export WINEPREFIX=${WINEPREFIX:-$root/build/road-shots-wineprefix}
source "$root/tools/wine-env.sh"
builder=$(winpath "$build/bin/tarvelion-builder.exe")
wine "$builder" diff --old "$(winpath "$work/old")" --new "$(winpath "$work/new")" \
  --main DemoApp.exe --out "$(winpath "$work/Patch.dat")"
wine "$builder" pack --applier "$(winpath "$build/bin/applier.exe")" \
  --files "$(winpath "$work/package")" --patch "$(winpath "$work/Patch.dat")" \
  --out "$(winpath "$work/Update.exe")"

# The old version, plus the attached file of the new one already there, so
# that the run stops on the overwrite question with the progress dialog open.
installed="$WINEPREFIX/drive_c/Program Files/Tarvelion Demo"
rm -rf "$installed" && mkdir -p "$installed/plugins" && cp -r "$work/old/." "$installed/"
echo "the user's own copy" >"$installed/plugins/extra.txt"

drive() { wine "$build/bin/windriver.exe" "$@"; }
shot() { sleep 1; import -window root "$out/$1.png"; echo "screenshot: $out/$1.png"; }

# Every program of this prefix runs on the virtual desktop "shot", so that
# the driver sees the same windows as the applier (a desktop started with
# "explorer /desktop=" alone keeps its windows from other processes).
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shot /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shot /d 1024x768 /f >/dev/null 2>&1
wine explorer /desktop=shot,1024x768 "$(winpath "$work/Update.exe")" >/dev/null 2>&1 &
desktop=$!
sheet=$(drive wait-window 0 '#32770' Welcome 30000)
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Software Licence Agreement' 10000 >/dev/null
drive check "$sheet" 502 1 >/dev/null
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'User Guide' 10000 >/dev/null
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Choose Destination Location' 10000 >/dev/null
drive set-text "$sheet" 531 'C:\Program Files\Tarvelion Demo' >/dev/null
shot destination
drive set-text "$sheet" 531 'C:\Program Files\Somewhere Else' >/dev/null
drive sheet "$sheet" next >/dev/null
box=$(drive message-box 0 10000 | head -1)
shot message-wrong-folder
drive answer "$box" ok >/dev/null
drive set-text "$sheet" 531 'C:\Program Files\Tarvelion Demo' >/dev/null
drive sheet "$sheet" next >/dev/null
box=$(drive message-box 0 30000 | head -1)
shot progress
drive answer "$box" yes >/dev/null
sleep 1
box=$(drive message-box 0 30000 | head -1)
shot message-summary
drive answer "$box" ok >/dev/null
drive wait-window 0 '#32770' 'Information' 30000 >/dev/null
shot results
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Update Complete' 10000 >/dev/null
shot finish
drive check "$sheet" 501 0 >/dev/null
drive sheet "$sheet" finish >/dev/null
for _ in $(seq 100); do
  drive wait-window 0 quv - 100 >/dev/null 2>&1 || break
  sleep 0.2
done
kill $desktop 2>/dev/null || true
