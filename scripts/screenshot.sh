#!/usr/bin/env bash
# Starts Quelm on a virtual X display and saves pictures of its front panel:
#   docs/panel.png     as the program starts, the link closed (display dark)
#   docs/panel-on.png  after the POWER key has opened the link to the bundled
#                      IC-746 simulator (only when quelm-sim has been built)
# Usage: scripts/screenshot.sh [build-dir]   (default: build)
# Needs xvfb-run (package xvfb), ImageMagick's import and python3 (for the click).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
program="$build/bin/quelm"
sim="$build/bin/quelm-sim"

if [[ ! -x "$program" ]]; then
    echo "no program at $program: build first (cmake --build $build)" >&2
    exit 1
fi

source "$here/scripts/picture_folder.sh"

shoot() { # program-folder picture [click]
    XDG_CONFIG_HOME="$work/config" HOME="$work" QT_QPA_PLATFORM=xcb \
    xvfb-run --auto-servernum --server-args="-screen 0 701x337x24" \
        bash -c '
            "$1/quelm" &
            pid=$!
            sleep 3
            if [[ -n "$3" ]]; then
                python3 "$1/xtest.py" click 64 48   # the POWER key
                sleep 4                      # the state push takes about two seconds
            fi
            import -window root "$2"
            kill "$pid"
            wait "$pid" 2>/dev/null || true
        ' _ "$work" "$2" "${3:-}"
    echo "saved $2"
}

shoot "$work" "$here/docs/panel.png"

if [[ -x "$sim" ]]; then
    link="$work/ic746"
    sed -i -e "s|^port .*|port $link|" "$work/quelm.ini"
    # The simulator reads control commands from its input; an idle pipe keeps it running.
    (sleep 60 | "$sim" --link "$link" --smeter 140 > "$work/sim.log" 2>&1) &
    sim_pid=$!
    for _ in $(seq 100); do [[ -e "$link" ]] && break; sleep 0.05; done
    if [[ -e "$link" ]]; then
        shoot "$work" "$here/docs/panel-on.png" click
    else
        echo "the simulator made no link; no picture with the link open" >&2
    fi
fi
