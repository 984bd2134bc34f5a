#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run Quelm.
#   scripts/install-deps.sh          install (uses sudo when not root)
#   scripts/install-deps.sh --check  only tell: exit 0 when everything is there
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-multimedia-dev
  libgl-dev libxkbcommon-dev
  qt6-qpa-plugins libqt6svg6
  libsndfile1-dev pulseaudio pulseaudio-utils libpulse-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps imagemagick openbox
  fonts-dseg fonts-dejavu-core fonts-dejavu-extra
  python3
  clang-14 libclang-rt-14-dev xdotool
)

missing() {
  local p
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

if [ "${1:-}" = "--check" ]; then
  if ! command -v dpkg-query >/dev/null; then
    echo "install-deps: this is no Debian system; install the packages by hand: ${PACKAGES[*]}" >&2
    exit 1
  fi
  m="$(missing)"
  if [ -n "$m" ]; then
    echo "install-deps: missing packages:" $m >&2
    exit 1
  fi
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${PACKAGES[@]}"
