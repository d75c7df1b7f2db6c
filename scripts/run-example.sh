#!/usr/bin/env bash
# The main job: installs what is missing, builds the plug-in and triaxo-host, and plays the bundled
# example melody through the real plug-in binary with the example preset (white keys -> the triads of
# C major, strummed 30 ms per chord note, humanised velocities). Writes out/example-chords.mid and
# out/example-chords.svg and prints the summary.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core gui
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target triaxo_plugin triaxo-host

mkdir -p out
./build/default/tools/triaxo-host render examples/melody.mid \
  --plugin build/default/src/plugin/Triaxo.so \
  --preset "examples/C Major Strum.ventrakisp" \
  -o out/example-chords.mid --piano-roll out/example-chords.svg
