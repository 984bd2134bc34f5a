#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for a while.
#   scripts/fuzz.sh [seconds]     each target for that long (default 60)
# FUZZ_TARGETS ("a b") runs only the targets named. At most FUZZ_PARALLEL (3)
# targets run at a time; FUZZ_BUILD_DIR (build-fuzz)
# holds the build, the corpus each run grows and the raw findings. A finding is
# copied into tests/fuzz/corpus/<target>/ as finding-<hash>, so it is kept and
# the ordinary test suite replays it from then on. Prints, per target: run
# time, executions, executions per second, coverage (edges and features), new
# inputs and findings. Fails when a target found anything.
set -euo pipefail
cd "$(dirname "$0")/.."
here="$PWD"
seconds="${1:-60}"
build="${FUZZ_BUILD_DIR:-build-fuzz}"
parallel="${FUZZ_PARALLEL:-3}"

if ! command -v clang++-14 >/dev/null; then
  echo "fuzz.sh: clang++-14 is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

targets=()
for f in tests/fuzz/*_fuzz.cpp; do
  t="$(basename "$f" _fuzz.cpp)"
  if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $t "* ]]; then
    continue
  fi
  targets+=("$t")
done
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz.sh: no target named in FUZZ_TARGETS ($FUZZ_TARGETS)" >&2
  exit 1
fi

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUELM_FUZZ=ON -DQUELM_BUILD_TESTS=OFF -DQUELM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-4}" --target "${targets[@]/#/fuzz_}"

run_one() { # target
  local t="$1"
  local work="$build/fuzz-corpus/$t" found="$build/fuzz-findings/$t"
  mkdir -p "$work" "$found"
  # New inputs go to the work corpus; the repo's corpus is read only. A small
  # quarantine keeps the leak check after each input short for the targets
  # that hold a whole window (it walks every block of the heap).
  QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$here/tests/fuzz/lsan.supp" \
    ASAN_OPTIONS="quarantine_size_mb=16${ASAN_OPTIONS:+:$ASAN_OPTIONS}" "$build/bin/fuzz_$t" "$work" "tests/fuzz/corpus/$t" \
    -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$found/" >"$build/fuzz-$t.log" 2>&1 || true
}

mkdir -p "$build"
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-18s %8s %12s %9s %7s %7s %6s %8s\n' target seconds executions exec/s cov ft new findings
for t in "${targets[@]}"; do
  log="$build/fuzz-$t.log"
  stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
  runs="$(stat number_of_executed_units)"
  rate="$(stat average_exec_per_sec)"
  added="$(stat new_units_added)"
  last="$(grep -E '(INITED|NEW|REDUCE|pulse|DONE).*cov: ' "$log" | tail -1 || true)"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
  findings=0
  for a in "$build/fuzz-findings/$t"/*; do
    [ -f "$a" ] || continue
    findings=$((findings + 1))
    keep="tests/fuzz/corpus/$t/finding-$(sha1sum "$a" | cut -c1-12)"
    cp "$a" "$keep"
    echo "finding of $t: $(basename "$a") kept as $keep" >&2
    grep -E 'ERROR|fuzz check failed|runtime error|SUMMARY' "$log" | head -5 >&2 || true
    status=1
  done
  rm -f "$build/fuzz-findings/$t"/*
  printf '%-18s %8s %12s %9s %7s %7s %6s %8s\n' "$t" "$seconds" "${runs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
    "${added:-?}" "$findings"
done
echo "logs: $here/$build/fuzz-<target>.log"
exit "$status"
