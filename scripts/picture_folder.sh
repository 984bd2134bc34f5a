# Sourced by the picture scripts, after $here and $program are set.
# A program folder and a settings store of their own in a temporary folder, so
# that a picture neither reads nor moves the user's saved state and window
# placement; it goes, with the simulator started into $sim_pid, when the
# script ends. Sets $work.
work="$(mktemp -d)"
sim_pid=""
cleanup() {
    [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp "$program" "$work/quelm"
cp "$here/quelm.ini" "$work/quelm.ini"
cp "$here/scripts/xtest.py" "$work/xtest.py"
