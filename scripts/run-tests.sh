#!/usr/bin/env bash
# Installs what is missing, builds every target with warnings as errors, and runs all suites:
# unit and host-level tests, the ThreadSanitizer stress tests, and the end-to-end checks.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core gui

jobs=$(nproc)
echo "== build (ci preset)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
echo "== tests"
ctest --preset ci -j "$jobs"

echo "== ThreadSanitizer stress tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan

echo "== Ardour end-to-end scenarios (the plug-in binary inside Ardour 7, headless)"
bash scripts/install-deps.sh ardour
bash tests/e2e/ardour/run.sh build/ci/src/plugin/Triaxo.so

echo "== Windows DLLs and their suites under Wine"
bash scripts/windows-tests.sh

echo "== User guide, release archives and installation"
bash scripts/package-tests.sh
