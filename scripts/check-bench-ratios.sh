#!/usr/bin/env bash
# Runs the engine's load benchmarks briefly and fails when a linearity ratio is broken:
#   - cost per due event with 4096 queued within 3x of that with 64 queued (block sizes 32, 512, 4096);
#   - an idle block with 1536 notes waiting within 2x of an idle block with an empty queue.
# Ratios only, never absolute times: a slow or busy machine does not fail it.
# Usage: bash scripts/check-bench-ratios.sh <path to triaxo_bench>
set -euo pipefail
bench=${1:-build/ci/bench/triaxo_bench}
if [[ ! -x "$bench" ]]; then
  echo "no benchmark program at $bench" >&2
  exit 1
fi
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_filter='BM_(FullQueueFallsDue|SixtyFourQueuedFallDue|IdleWith.*)/' \
  --benchmark_min_time=0.05 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$json" 2>/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}
failed = False
def check(label, numerator, denominator, limit):
    global failed
    ratio = numerator / denominator
    verdict = "ok" if ratio <= limit else "BROKEN"
    failed = failed or ratio > limit
    print(f"{label}: {ratio:.2f} (limit {limit}) {verdict}")
for frames in (32, 512, 4096):
    full = median[f"BM_FullQueueFallsDue/{frames}"]["ns_per_due"]
    small = median[f"BM_SixtyFourQueuedFallDue/{frames}"]["ns_per_due"]
    check(f"per due event, 4096 vs 64 queued, {frames} frames", full, small, 3.0)
    waiting = median[f"BM_IdleWithFifteenHundredWaiting/{frames}"]["cpu_time"]
    empty = median[f"BM_IdleWithEmptyQueue/{frames}"]["cpu_time"]
    check(f"idle block, 1536 waiting vs empty queue, {frames} frames", waiting, empty, 2.0)
sys.exit(1 if failed else 0)
PY
