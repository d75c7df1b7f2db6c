#!/usr/bin/env bash
# The Windows step: builds Triaxo.dll for i686 (the product) and x86-64 with mingw-w64, checks both
# DLLs' exports and imports, and runs the unit and host-level suites under Wine. 32-bit Windows
# programs need a kernel that runs 32-bit code; where it has none, the i686 suites are neither built
# nor run (one line says so) and only the static checks of the i686 DLL run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh windows

jobs=$(nproc)
echo "== build (windows-x64)"
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$jobs"
# Tests that open a window (the Winamp configuration window) get an Xvfb display of their own.
run_ctest() {
  if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a bash -c 'TRIAXO_WINE_DISPLAY=$DISPLAY ctest "$@"' ctest "$@"
  else
    ctest "$@"
  fi
}

echo "== tests (windows-x64, under Wine)"
run_ctest --preset windows-x64 -j "$jobs"

echo "== build (windows-x86)"
cmake --preset windows-x86 >/dev/null
# Wine's own 32-bit loader is a 32-bit program: it starts only where the kernel runs 32-bit code.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  cmake --build --preset windows-x86 -j "$jobs"
  echo "== tests (windows-x86, under Wine)"
  run_ctest --preset windows-x86 -j "$jobs"
else
  cmake --build --preset windows-x86 -j "$jobs" --target triaxo_plugin
  echo "== windows-x86: Wine test runs skipped: this kernel cannot execute 32-bit programs (DLL checked statically)"
  cmake -DOBJDUMP=i686-w64-mingw32-objdump -DDLL=build/windows-x86/src/plugin/Triaxo.dll -DFORMAT=pei-i386 \
    -P tests/windows/CheckDllExports.cmake
fi
