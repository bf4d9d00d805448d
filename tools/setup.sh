#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian bookworm
# machine. Safe to run again: it only installs what is missing.
set -euo pipefail

need_root() { if [ "$(id -u)" -ne 0 ]; then echo "sudo"; fi; }
SUDO=$(need_root)

packages=(cmake make g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 libbz2-dev
  wine wine32:i386 xvfb xauth imagemagick fonts-dejavu-core x11-utils dpkg-dev libgtest-dev locales)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  refresh=1
fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done

# bzip2's source for the Windows build comes from Debian's source archive.
src_list=/etc/apt/sources.list.d/debian-src.sources
if [ ! -f "$src_list" ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $SUDO tee "$src_list" >/dev/null
  refresh=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${refresh:-}" ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# An ordinary user for the tests that need the file system to refuse a write
# (wine as root writes past Unix permissions): tests/wine/engine_permissions.sh.
if ! id tarvelion-test >/dev/null 2>&1; then
  $SUDO useradd -m -s /bin/bash tarvelion-test
fi
# wine reports the German language (0x0407) only when the host has the
# locale; the translation tests run the applier with LANG=de_DE.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
echo "setup: all packages present"
