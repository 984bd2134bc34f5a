#!/usr/bin/env bash
# Starts Quelm on a virtual X display with the bundled IC-746 simulator, opens
# the link and the memory editor on a filled radio bank, selects sub-tone cells
# and opens their list with the right button, and saves the picture as
#   docs/memory-editor.png
# Usage: scripts/screenshot-memory.sh [build-dir]   (default: build)
# Needs xvfb-run (package xvfb), ImageMagick's import and convert, python3, and
# quelm-sim built beside quelm.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
program="$build/bin/quelm"
sim="$build/bin/quelm-sim"
out="$here/docs/memory-editor.png"

for p in "$program" "$sim"; do
    if [[ ! -x "$p" ]]; then
        echo "no $p: build first (cmake --build $build)" >&2
        exit 1
    fi
done

source "$here/scripts/picture_folder.sh"

# The banks: the radio's channels and a user bank.
printf '%s\r\n' \
    "GB3VHF beacon,144430,CW,,,,,,Yes" \
    "RV48 Rpt,145600,FM,,145000,FM,88.5,DUP-,Yes" \
    "RV50 Rpt,145625,FM,,145025,FM,71.9,DUP-,Yes" \
    "RV52 Rpt,145650,FM,,145050,FM,110.9,DUP-,No" \
    "S20 calling,145500,FM,,,,,,Yes" \
    "SSB calling,144300,USB,,,,,,Yes" \
    "FT8 2m,144174,USB,,,,,,No" \
    "FT8 20m,14074,USB,,,,,,No" \
    "CW 20m,14060,CW,,,,,,No" \
    "40m net,7088,LSB,,,,,,No" \
    "6m beacon,50050,CW,,,,,,Yes" \
    "ISS downlink,145800,FM,,145990,FM,67.0,,No" \
    "RTTY 20m,14085,RTTY,,,,,,No" \
    "Tone sq,145575,FM,123.0,,,,,Yes" > "$work/MEM_Quelm.ini"
for _ in $(seq 15 99); do printf ',,,,,,,,\r\n' >> "$work/MEM_Quelm.ini"; done
printf '%s\r\n' "Beacon,28200,CW" "QRP calling,14060,CW" "Net,7050.5,LSB" > "$work/MEM_HF.ini"

# Window placement in twips (15 to the pixel): the panel on top, the editor below.
mkdir -p "$work/config/Quelm"
cat > "$work/config/Quelm/Quelm.ini" <<'INI'
[Quelm]
X=0
Y=0
[Quelm_MEM]
X=0
Y=5250
W=12000
H=5700
INI

link="$work/ic746"
sed -i -e "s|^port .*|port $link|" "$work/quelm.ini"
(sleep 120 | "$sim" --link "$link" > "$work/sim.log" 2>&1) &
sim_pid=$!
for _ in $(seq 100); do [[ -e "$link" ]] && break; sleep 0.05; done

XDG_CONFIG_HOME="$work/config" HOME="$work" QT_QPA_PLATFORM=xcb \
xvfb-run --auto-servernum --server-args="-screen 0 820x750x24" \
    bash -c '
        cd "$1"
        ./quelm &
        pid=$!
        sleep 3
        python3 xtest.py click 64 48      # POWER
        sleep 4
        python3 xtest.py click 616 92     # memory key
        sleep 2
        # Sub-tone cells of channels 2 to 5 (the editor stands at 0, 350), then the right button.
        python3 xtest.py drag ${X4:-480} ${Y2:-418} ${X4:-480} ${Y5:-478}
        python3 xtest.py click ${X4:-480} ${Y5:-478} 3
        sleep 1
        import -window root "$1/shot.png"
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    ' _ "$work"
convert "$work/shot.png" -crop 820x400+0+350 +repage "$out"
echo "saved $out"
