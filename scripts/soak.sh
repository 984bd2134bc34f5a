#!/usr/bin/env bash
# The fault soak: the real program under Xvfb against the simulated radio, the
# link open, every key clicked once, then the simulator's faults in turn
# (garbage, corrupt, drop, split, late, foreign, silent, a transceive flood,
# unplug and plug, the simulator killed and restarted) while keys are clicked;
# the recorder and the CQ caller on a private sound server when pulseaudio is
# there. It ends with the transmit key on and SIGTERM to the program. Fails on
# a crash, a click that puts no frame on the line within a second while the
# link is up, a window that does not open, menu panels that cannot be told
# apart on the screen, no CQ call though the sound server is there, a program
# that does not end on SIGTERM, a keyed transmitter at the end, or memory
# growth of more than SOAK_MAX_GROWTH_MB (5) after the first minute. Prints
# the figures.
#   scripts/soak.sh [seconds]      (default 60: how long the faults go on)
# BUILD_DIR (build) holds the program and the simulator, built beforehand.
# Needs xvfb-run, xdotool, ImageMagick's import and python3, and pulseaudio for
# the sound (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="$(cd "${BUILD_DIR:-build}" && pwd)"
for f in quelm quelm-sim; do
  if [ ! -x "$build/bin/$f" ]; then
    echo "soak.sh: no $build/bin/$f; build first (scripts/test.sh builds both)" >&2
    exit 1
  fi
done
exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
  python3 scripts/soak.py "$build" "$seconds"
