#!/usr/bin/env bash
# Installs the Debian packages Skimbolt needs to build, test and run.
# Only what is missing is installed; runs apt-get through sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libwxgtk3.2-dev libgtk-3-dev libcurl4-openssl-dev ca-certificates libcanberra-dev libicu-dev
  libdbusmenu-glib-dev librsvg2-dev
  zlib1g-dev libglib2.0-dev python3-webencodings
  libgtest-dev libgmock-dev libbenchmark-dev libxml2-dev
  xvfb xauth imagemagick sound-theme-freedesktop valgrind trayer
  dbus python3-dbus python3-gi xdotool weston
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
