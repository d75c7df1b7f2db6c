#!/usr/bin/env bash
# Installs what is missing, builds every target with warnings as errors, and runs all suites:
# unit and host-level tests, the ThreadSanitizer stress tests, the same suites under AddressSanitizer
# and UndefinedBehaviorSanitizer, the fuzz targets, and the end-to-end checks.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core gui

echo "== formatting (.clang-format over every C++ file)"
bash scripts/check-format.sh

jobs=$(nproc)
echo "== build (ci preset)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
echo "== tests"
ctest --preset ci -j "$jobs"
echo "== engine benchmark ratios (linearity only, never absolute times)"
bash scripts/check-bench-ratios.sh build/ci/bench/triaxo_bench

echo "== ThreadSanitizer stress tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan

echo "== AddressSanitizer + UndefinedBehaviorSanitizer (unit, host-level and tool suites; leaks fail)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

echo "== Fuzz targets (a minute each)"
bash scripts/run-fuzz.sh 60

echo "== Ardour end-to-end scenarios (the plug-in binary inside Ardour 7, headless)"
bash scripts/install-deps.sh ardour
bash tests/e2e/ardour/run.sh build/ci/src/plugin/Triaxo.so

echo "== Windows DLLs and their suites under Wine"
bash scripts/windows-tests.sh

echo "== User guide, release archives and installation"
bash scripts/package-tests.sh
