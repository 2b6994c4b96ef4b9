#!/usr/bin/env bash
# Installs every Debian package Quaverly needs to build, test and run.
# Idempotent: when everything is present it returns without touching apt.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev
  libavfilter-dev libavdevice-dev libpostproc-dev
  ffmpeg
  libtag1-dev
  libsdl2-dev
  libplist-dev
  qt6-image-formats-plugins libqt6svg6
  fonts-dejavu-core locales xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
else
  export DEBIAN_FRONTEND=noninteractive
  echo "install-deps: installing ${missing[*]}"
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Tests check number formatting under a German locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating de_DE.UTF-8"
  if ! grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null || echo "install-deps: locale-gen failed; German-locale tests will skip"
fi
