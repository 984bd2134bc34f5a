#!/usr/bin/env bash
# Starts Quelm on a virtual X display and saves a picture of its front panel as
# docs/panel.png. Usage: scripts/screenshot.sh [build-dir]   (default: build)
# Needs xvfb-run (package xvfb) and ImageMagick's import.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
program="$build/bin/quelm"
out="$here/docs/panel.png"

if [[ ! -x "$program" ]]; then
    echo "no program at $program: build first (cmake --build $build)" >&2
    exit 1
fi

# A settings store of its own, so that a screenshot neither reads nor moves the
# user's saved window placement.
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT

XDG_CONFIG_HOME="$config" HOME="$config" QT_QPA_PLATFORM=xcb \
xvfb-run --auto-servernum --server-args="-screen 0 701x337x24" \
    bash -c '
        "$1" &
        pid=$!
        sleep 3
        import -window root "$2"
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    ' _ "$program" "$out"

echo "saved $out"
