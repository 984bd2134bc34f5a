#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run Quelm.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build pkg-config \
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev qt6-multimedia-dev \
  libgl-dev libxkbcommon-dev \
  qt6-qpa-plugins libqt6svg6 \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  xvfb xauth x11-apps imagemagick \
  fonts-dseg fonts-dejavu-core
