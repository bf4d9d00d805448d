# Sourced by the scripts that drive the applier's wizard and photograph it
# (tools/demo_drive.sh, tests/e2e/*_screenshots.sh). Expects $windriver (the
# host path of windriver.exe) and $out (the screenshot folder), and a wine
# environment from tools/wine-env.sh.

winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
drive() { wine "$windriver" "$@"; }
# shot NAME [SECONDS]: waits for the screen to settle, then saves it.
shot() {
  sleep "${2:-1}"
  import -window root "$out/$1.png"
  echo "screenshot: $out/$1.png"
}

# sample_update_exe WIN_BUILD_DIR WORK: the builder for Windows, under wine,
# makes WORK/Update.exe from WORK/old, WORK/new and WORK/package.
sample_update_exe() {
  local builder
  builder=$(winpath "$1/bin/tarvelion-builder.exe")
  wine "$builder" diff --old "$(winpath "$2/old")" --new "$(winpath "$2/new")" \
    --main DemoApp.exe --out "$(winpath "$2/Patch.dat")"
  wine "$builder" pack --applier "$(winpath "$1/bin/applier.exe")" \
    --files "$(winpath "$2/package")" --patch "$(winpath "$2/Patch.dat")" \
    --out "$(winpath "$2/Update.exe")"
}

# start_on_desktop NAME WINDOWS_EXE: starts the exe on the virtual desktop
# NAME and sets $desktop to the pid of the desktop's process. Every program of
# the prefix runs on that desktop, so that the driver sees the same windows
# as the applier (a desktop that "explorer /desktop=" makes for one program
# keeps its windows from other processes).
start_on_desktop() {
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$1" /d 1024x768 /f >/dev/null 2>&1
  wine explorer /desktop="$1",1024x768 "$2" >/dev/null 2>&1 &
  desktop=$!
}

# next_page SHEET CAPTION TIMEOUT_MS: presses Next and waits for the page.
next_page() {
  drive sheet "$1" next >/dev/null
  drive wait-window 0 '#32770' "$2" "$3" >/dev/null
}

# wait_until_ended: waits (up to 20 s) until the background window is gone,
# then stops the desktop.
wait_until_ended() {
  for _ in $(seq 100); do
    drive wait-window 0 quv - 100 >/dev/null 2>&1 || break
    sleep 0.2
  done
  kill "$desktop" 2>/dev/null || true
}
