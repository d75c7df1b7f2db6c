#!/usr/bin/env bash
# Runs the Ardour end-to-end scenarios: the Triaxo plug-in binary inside Ardour 7 (headless, Dummy
# backend) between a MIDI injector and a capture.
# Usage: tests/e2e/ardour/run.sh [PATH/Triaxo.so] [INIT-PRESET.ventrakisp]
# Needs the Debian packages of the install group `ardour` (scripts/install-deps.sh ardour).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
plugin="$(realpath "${1:-$root/build/ci/src/plugin/Triaxo.so}")"
preset="$(realpath "${2:-$root/examples/C Major Strum.ventrakisp}")"
[ -f "$plugin" ] || { echo "ardour-e2e: plug-in not found: $plugin" >&2; exit 1; }
[ -f "$preset" ] || { echo "ardour-e2e: preset not found: $preset" >&2; exit 1; }
command -v ardour7-lua >/dev/null || { echo "ardour-e2e: ardour7-lua missing (scripts/install-deps.sh ardour)" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/triaxo-ardour-e2e.XXXXXX")"
# TRIAXO_E2E_KEEP=1 keeps the sessions, logs and captures for a look.
if [ -z "${TRIAXO_E2E_KEEP:-}" ]; then trap 'rm -rf "$work"' EXIT; else echo "ardour-e2e: keeping $work"; fi
# A private home: Ardour's configuration and plug-in cache, and the plug-in's documents folder, which
# user-dirs.dirs moves away from ~/Documents as a desktop session would.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME/ardour7/scripts" "$work/vst"
echo 'XDG_DOCUMENTS_DIR="$HOME/Docs"' > "$XDG_CONFIG_HOME/user-dirs.dirs"
presets="$HOME/Docs/Ventrakis/Triaxo/Presets"
cp "$here"/scripts/*.lua "$XDG_CONFIG_HOME/ardour7/scripts/"
cp "$plugin" "$work/vst/Triaxo.so"
# Ardour only trusts a scan that is newer than the binary.
touch -d '-1 minute' "$work/vst/Triaxo.so"
export LXVST_PATH="$work/vst"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -f "$work/vst/Triaxo.so" >"$work/scan.log" 2>&1 \
  || { cat "$work/scan.log" >&2; echo "ardour-e2e: the VST scanner failed" >&2; exit 1; }

failed=0
run() {
  local scenario="$1"
  local started=$SECONDS
  if (cd "$work" && timeout 90 ardour7-lua "$here/scenario.lua" "$work/session-$scenario" "$scenario" \
        "$work/$scenario.txt") >"$work/$scenario.log" 2>&1; then
    echo "PASS  $scenario ($((SECONDS - started)) s)"
  else
    echo "FAIL  $scenario ($((SECONDS - started)) s)"
    grep -E '^(FAIL|found|name)|error' "$work/$scenario.log" | sed 's/^/      /' || tail -5 "$work/$scenario.log"
    [ -f "$work/$scenario.txt" ] && sed 's/^/      captured: /' "$work/$scenario.txt"
    failed=1
  fi
}

rm -rf "$presets"
run identity
run passthrough
# The chord scenario's state comes from the init preset, as a user's would.
mkdir -p "$presets"
cp "$preset" "$presets/init.ventrakisp"
run chord

exit $failed
