#!/usr/bin/env bash
# Runs a Windows test exe under wine with the project's own prefix. CTest uses
# this as the emulator of the cross build; tools/test.sh sets the prefix up.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$HOME/.tarvelion-wine}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
