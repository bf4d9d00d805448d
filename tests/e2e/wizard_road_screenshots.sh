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
windriver=$build/bin/windriver.exe
source "$root/tools/wizard_shots.sh"

"$root/tools/sample_folders.sh" "$build" "$work"
sed -i 's/^Silence=.*/Silence=0/' "$work/package/Update.ini"

export WINEPREFIX=${WINEPREFIX:-$root/build/road-shots-wineprefix}
source "$root/tools/wine-env.sh"
sample_update_exe "$build" "$work"

# The old version, plus the attached file of the new one already there, so
# that the run stops on the overwrite question with the progress dialog open.
installed="$WINEPREFIX/drive_c/Program Files/Tarvelion Demo"
rm -rf "$installed" && mkdir -p "$installed/plugins" && cp -r "$work/old/." "$installed/"
echo "the user's own copy" >"$installed/plugins/extra.txt"

start_on_desktop shot "$(winpath "$work/Update.exe")"
sheet=$(drive wait-window 0 '#32770' Welcome 30000)
next_page "$sheet" 'Software Licence Agreement' 10000
drive check "$sheet" 502 1 >/dev/null
next_page "$sheet" 'User Guide' 10000
next_page "$sheet" 'Choose Destination Location' 10000
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
next_page "$sheet" 'Update Complete' 10000
shot finish
drive check "$sheet" 501 0 >/dev/null
drive sheet "$sheet" finish >/dev/null
wait_until_ended
