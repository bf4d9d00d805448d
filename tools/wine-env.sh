# Sourced by the scripts that run Windows exes: a wine prefix of the
# project's own, a virtual X display of its own and a persistent wineserver
# (an exe then starts in about 0.1 s). Everything is stopped when the
# sourcing script exits.
#   TARVELION_USE_DISPLAY=1 keeps the caller's DISPLAY instead of Xvfb.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$(dirname "$WINEPREFIX")"

_xvfb_pid=
if [ -z "${TARVELION_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 91 140); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
      Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      _xvfb_pid=$!
      export DISPLAY=:$n
      break
    fi
  done
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X${DISPLAY#:} ] && break; sleep 0.1; done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-env: making the wine prefix $WINEPREFIX (once, about 15 s)"
  wineboot -i >/dev/null 2>&1 || true
  # wineboot returns while parts of the new prefix are still being set up;
  # a window made then fails. Wait until every process of it has ended.
  wineserver -w >/dev/null 2>&1 || true
fi
wineserver -p >/dev/null 2>&1 || true
# The first wine process of a session starts wine's background services; they
# would hold the output pipe of whatever started them (a CTest entry, say)
# open until they end. Start them here, with their output going nowhere.
wine cmd /c exit >/dev/null 2>&1 || true
# Likewise the desktop window of the display: make it once with a window of
# wine's own, so that the first test does not race its creation.
wine rundll32 user32.dll,MessageBeep >/dev/null 2>&1 || true

_wine_env_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$_xvfb_pid" ]; then kill "$_xvfb_pid" 2>/dev/null || true; fi
}
trap _wine_env_cleanup EXIT
