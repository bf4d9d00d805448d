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
windriver=$build/bin/windriver.exe
source "$root/tools/wizard_shots.sh"

"$root/tools/sample_folders.sh" "$build" "$work"
# The splash must stay up long enough to be photographed: a large patch
# data is not needed, the splash shows for 1.5 seconds in any case.
sed -i 's/^ShowSplash=.*/ShowSplash=1/' "$work/package/Update.ini"

export WINEPREFIX=${WINEPREFIX:-$root/build/first-pages-shots-wineprefix}
source "$root/tools/wine-env.sh"
sample_update_exe "$build" "$work"
start_on_desktop shot "$(winpath "$work/Update.exe")"
drive wait-window 0 Splash - 30000 >/dev/null
shot splash 0.3
sheet=$(drive wait-window 0 '#32770' Welcome 30000)
shot welcome
next_page "$sheet" 'Software Licence Agreement' 10000
drive check "$sheet" 502 1 >/dev/null
shot licence
next_page "$sheet" 'User Guide' 10000
shot guide
drive sheet "$sheet" cancel >/dev/null
box=$(drive message-box 0 10000 | head -1)
drive answer "$box" yes >/dev/null
wait_until_ended
