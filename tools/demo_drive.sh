#!/usr/bin/env bash
# Drives the sample package's wizard through every page under wine's virtual
# desktop, the way a user would, and takes a screenshot of each step.
#   tools/demo_drive.sh PACKAGE_WINDOWS_PATH OUT_DIR WINDRIVER_EXE
# Needs DISPLAY, WINEPREFIX and a running wineserver (tools/wine-env.sh).
set -euo pipefail
package=$1 out=$2 windriver=$3
source "$(dirname "$0")/wizard_shots.sh"

start_on_desktop TarvelionDemo "$package"
if drive wait-window 0 Splash - 15000 >/dev/null; then shot 0-splash 0.3; fi
sheet=$(drive wait-window 0 '#32770' Welcome 30000)
shot 1-welcome
next_page "$sheet" 'Software Licence Agreement' 10000
drive check "$sheet" 502 1 >/dev/null
shot 2-licence
next_page "$sheet" 'User Guide' 10000
shot 3-guide
next_page "$sheet" 'Choose Destination Location' 10000
shot 4-destination
next_page "$sheet" 'Information' 60000
shot 5-results
next_page "$sheet" 'Update Complete' 10000
shot 6-finish
drive sheet "$sheet" finish >/dev/null
# Finish launches the updated program; its window shows the new version.
drive wait-window 0 TarvelionDemo - 15000 >/dev/null && shot 7-updated-program || true
wait_until_ended
