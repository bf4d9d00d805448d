#!/usr/bin/env bash
# Drives the sample package's wizard through every page under wine's virtual
# desktop, the way a user would, and takes a screenshot of each step.
#   tools/demo_drive.sh PACKAGE_WINDOWS_PATH OUT_DIR WINDRIVER_EXE
# Needs DISPLAY, WINEPREFIX and a running wineserver (tools/wine-env.sh).
set -euo pipefail
package=$1 out=$2 windriver=$3
drive() { wine "$windriver" "$@"; }
shot() { sleep 0.7; import -window root "$out/$1.png"; echo "demo: $out/$1.png"; }

# Every program of the prefix runs on one virtual desktop, so that the
# driver sees the applier's windows (a desktop that "explorer /desktop=" makes
# for one program keeps its windows from other processes).
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d TarvelionDemo /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v TarvelionDemo /d 1024x768 /f >/dev/null 2>&1
wine explorer /desktop=TarvelionDemo,1024x768 "$package" >/dev/null 2>&1 &
desktop=$!
if drive wait-window 0 Splash - 15000 >/dev/null; then shot 0-splash; fi

sheet=$(drive wait-window 0 '#32770' Welcome 30000)
shot 1-welcome
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Software Licence Agreement' 10000 >/dev/null
drive check "$sheet" 502 1 >/dev/null
shot 2-licence
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'User Guide' 10000 >/dev/null
shot 3-guide
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Choose Destination Location' 10000 >/dev/null
shot 4-destination
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Information' 60000 >/dev/null
shot 5-results
drive sheet "$sheet" next >/dev/null
drive wait-window 0 '#32770' 'Update Complete' 10000 >/dev/null
shot 6-finish
drive sheet "$sheet" finish >/dev/null
# Finish launches the updated program; its window shows the new version.
drive wait-window 0 TarvelionDemo - 15000 >/dev/null && shot 7-updated-program || true
for _ in $(seq 100); do
  drive wait-window 0 quv - 100 >/dev/null 2>&1 || break
  sleep 0.2
done
kill $desktop 2>/dev/null || true
