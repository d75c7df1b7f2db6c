#!/usr/bin/env bash
# The main job: installs what is missing, builds, and plays the bundled example through the engine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core gui
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
./build/default/tools/triaxo-engine-demo
