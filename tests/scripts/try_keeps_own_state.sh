#!/usr/bin/env bash
# The demo of scripts/try.sh keeps its saved state in its own folder: the
# operator's per-user settings file, whose last radio state the power key sends
# to a real radio, is the same after a demo run as before it.
# try.sh runs from a copy of the repository's script, with the package check and
# the build stubbed, against the programs already built.
#   try_keeps_own_state.sh <source folder> <folder of quelm and quelm-sim> <work folder>
set -euo pipefail
src="$1"
bin="$2"
work="$3"

rm -rf "$work"
mkdir -p "$work/repo/scripts" "$work/repo/build/bin" "$work/stubs" "$work/home/.config/Quelm"
cp "$src/scripts/try.sh" "$work/repo/scripts/try.sh"
cp "$src/quelm.ini" "$work/repo/quelm.ini"
printf '#!/bin/sh\nexit 0\n' > "$work/repo/scripts/install-deps.sh"
printf '#!/bin/sh\nexit 0\n' > "$work/stubs/cmake"
chmod +x "$work/stubs/cmake"
ln -s "$bin/quelm" "$work/repo/build/bin/quelm"
ln -s "$bin/quelm-sim" "$work/repo/build/bin/quelm-sim"

own="$work/home/.config/Quelm/Quelm.ini"
printf '[LAST]\nVFOA=7050\nVFOModoA=LSB\n' > "$own"
cp "$own" "$work/own-before.ini"

# No sound server: the demo must not reach the desktop's own. The end comes
# after 8 s, so that even on a machine loaded by the rest of the suite the
# program has started and can save its state (once seen: not by 4 s).
env -u XDG_CONFIG_HOME HOME="$work/home" PATH="$work/stubs:$PATH" \
    BUILD_DIR="$work/repo/build" TRY_SECONDS=8 QT_QPA_PLATFORM=offscreen \
    PULSE_SERVER="unix:$work/no-sound-server" \
    bash "$work/repo/scripts/try.sh" > "$work/try.log" 2>&1 || {
    echo "try.sh failed:" >&2
    cat "$work/try.log" >&2
    exit 1
}

if ! cmp -s "$own" "$work/own-before.ini"; then
    echo "the demo changed the operator's saved state $own:" >&2
    cat "$own" >&2
    exit 1
fi
demo="$work/repo/build/demo/config/Quelm/Quelm.ini"
if ! grep -q '^\[LAST\]' "$demo" 2>/dev/null; then
    echo "the demo saved no radio state in $demo; try.sh said:" >&2
    cat "$work/try.log" >&2
    exit 1
fi
rm -rf "$work"
