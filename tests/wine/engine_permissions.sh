#!/usr/bin/env bash
# Runs the engine cases that need the file system to refuse a write. Wine as
# root writes past Unix permissions, so they run as the ordinary user that
# tools/setup.sh makes, with a wine prefix of that user's own.
#   engine_permissions.sh HOST_PATH_OF_engine_entry_test.exe
set -euo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
user=tarvelion-test
if ! id "$user" >/dev/null 2>&1; then
  echo "engine_permissions: user $user is missing; run tools/setup.sh" >&2
  exit 1
fi
home=$(getent passwd "$user" | cut -d: -f6)

work=$(mktemp -d /tmp/engine-locked.XXXXXX)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir -p "$work/dest/locked"
printf 'installed version of a' >"$work/dest/locked/a.txt"
printf 'installed version of c, longer' >"$work/dest/locked/c.txt"
chmod 666 "$work/dest/locked/a.txt" "$work/dest/locked/c.txt"
chown -R "$user" "$work"
chmod 555 "$work/dest/locked"  # no new names in there: a rename into it fails

dest_windows="Z:${work//\//\\}\\dest"
runuser -u "$user" -- env -i PATH="$PATH" HOME="$home" USER="$user" \
  WINEPREFIX="$home/engine-wineprefix" ENGINE_LOCKED_DEST="$dest_windows" \
  bash -c "source '$root/tools/wine-env.sh'; wine cmd /c exit >/dev/null 2>&1; \
    wine '$exe' --gtest_filter='LockedFolder.*' 2>&1 || exit 1" |
  tee "$work/out.txt"
grep -q '^\[  PASSED  \] 1 test' "$work/out.txt"
grep -q 'SKIPPED' "$work/out.txt" && { echo "engine_permissions: the case was skipped" >&2; exit 1; }
exit 0
