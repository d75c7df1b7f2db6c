#!/usr/bin/env bash
# Runs every fuzz target of a sanitized clang build for a while, starting from seeds that the
# project's own writers make. Usage: scripts/run-fuzz.sh [seconds per target] [build folder]
# (defaults: 60, build/asan). Longer runs: see docs/reliability.md. Inputs that break a target are
# kept in <build>/fuzz/findings/<target>/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${2:-build/asan}
fuzz="$build/fuzz"
if [ ! -x "$fuzz/triaxo-fuzz-seeds" ]; then
  echo "run-fuzz: no fuzz targets in $build (cmake --preset asan && cmake --build --preset asan)" >&2
  exit 2
fi

corpus="$fuzz/corpus"
"$fuzz/triaxo-fuzz-seeds" "$corpus" examples/*.ventrakisp

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
targets=(chunk preset settings stream)
[ -x "$fuzz/triaxo-fuzz-textfiles" ] && targets+=(textfiles)
for target in "${targets[@]}"; do
  dict=()
  case "$target" in
    chunk | preset | stream) dict=(-dict=fuzz/tagged-stream.dict) ;;
    settings) dict=(-dict=fuzz/settings.dict) ;;
    textfiles) dict=(-dict=fuzz/text-files.dict) ;;
  esac
  findings="$fuzz/findings/$target"
  mkdir -p "$findings" "$corpus/$target"
  log="$fuzz/$target.log"
  echo "-- fuzz $target for ${seconds}s"
  if "$fuzz/triaxo-fuzz-$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus/$target" >"$log" 2>&1; then
    grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$log" | tr '\n' ' '
    echo
  else
    echo "run-fuzz: $target failed; the input is in $findings/, the log in $log" >&2
    tail -n 40 "$log" >&2
    failed=1
  fi
done
exit "$failed"
