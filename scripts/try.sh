#!/usr/bin/env bash
# Try Quelm without a radio: installs what is missing, builds, starts the
# bundled IC-746 simulator on a pseudo-terminal and the program connected to it.
# Press the power key on the panel to open the link. The simulator stops when
# the program ends.
#   scripts/try.sh
#   BUILD_DIR=b scripts/try.sh         another build folder (default ./build)
#   TRY_SECONDS=20 scripts/try.sh      end the program after 20 s (a smoke check)
# While it runs, lines written to $BUILD_DIR/demo/sim-control go to the
# simulator's control channel, e.g. "dial 7050000" (its "help" lists them),
# and its answers go to $BUILD_DIR/demo/sim.log.
# The demo keeps its saved state (last radio state, levels, window places) in
# $BUILD_DIR/demo/config, apart from the one a real radio is sent.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
BUILD_DIR="${BUILD_DIR:-build}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$ROOT/$BUILD_DIR" ;; esac
JOBS="${JOBS:-$(nproc)}"
DEMO="$BUILD_DIR/demo"

if ! bash scripts/install-deps.sh --check 2>/dev/null; then
  echo "try.sh: installing the missing packages first"
  bash scripts/install-deps.sh
fi

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j"$JOBS"

SIM="$BUILD_DIR/bin/quelm-sim"
if [ ! -x "$SIM" ]; then
  echo "try.sh: the simulator $SIM was not built" >&2
  exit 1
fi

# The program reads quelm.ini from its own folder, and that folder is where the
# executable really lies (links are resolved), so the demo gets a copy of it.
mkdir -p "$DEMO"
cp -f "$BUILD_DIR/bin/quelm" "$DEMO/quelm"
LINK="$DEMO/ic746"
sed -e "s|^port .*|port $LINK|" quelm.ini > "$DEMO/quelm.ini"

SIM_PID=""
CONTROL="$DEMO/sim-control"
cleanup() {
  if [ -n "$SIM_PID" ] && kill -0 "$SIM_PID" 2>/dev/null; then
    kill "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
  fi
  exec 9>&- 2>/dev/null || true
  rm -f "$CONTROL" "$LINK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The control channel is a named pipe held open here, so the simulator neither
# reads an empty input nor ends on one.
rm -f "$CONTROL" "$LINK"
mkfifo "$CONTROL"
"$SIM" --link "$LINK" < "$CONTROL" > "$DEMO/sim.log" 2>&1 &
SIM_PID=$!
exec 9> "$CONTROL"

for _ in $(seq 100); do
  [ -e "$LINK" ] && break
  if ! kill -0 "$SIM_PID" 2>/dev/null; then
    echo "try.sh: the simulator ended at once:" >&2
    cat "$DEMO/sim.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -e "$LINK" ]; then
  echo "try.sh: the simulator made no link $LINK; its output:" >&2
  cat "$DEMO/sim.log" >&2
  exit 1
fi
echo "try.sh: simulated IC-746 on $(head -n1 "$DEMO/sim.log") (link $LINK)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "try.sh: no display found; the program runs without a visible window (offscreen)"
  export QT_QPA_PLATFORM=offscreen
fi

# The power key sends the saved state to the radio: the demo's frequencies and
# modes must never reach a real radio at its next start, so the demo program
# has a per-user settings folder of its own.
with_demo_settings() { XDG_CONFIG_HOME="$DEMO/config" "$@"; }

status=0
if [ -n "${TRY_SECONDS:-}" ]; then
  with_demo_settings timeout "$TRY_SECONDS" "$DEMO/quelm" || status=$?
  if [ "$status" -eq 124 ]; then
    echo "try.sh: the program ran for $TRY_SECONDS s and was ended"
    status=0
  fi
else
  with_demo_settings "$DEMO/quelm" || status=$?
fi
exit "$status"
