#!/usr/bin/env bash
# Installs the Debian packages Quillo needs to build, test and run, when any is missing.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  g++ clang cmake ninja-build pkg-config ccache
  qt6-base-dev libgl-dev
  libcurl4-openssl-dev libssl-dev zlib1g-dev libcpp-httplib-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  modemmanager libmm-glib-dev libglib2.0-dev libglib2.0-bin dbus-daemon
  qtkeychain-qt6-dev libsecret-1-0 gnome-keyring
  fonts-liberation xvfb xauth
  librsvg2-bin desktop-file-utils appstream groff-base file
  dpkg-dev fakeroot lintian chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
