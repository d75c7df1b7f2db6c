#!/usr/bin/env bash
# The Windows step: builds Triaxo.dll for x86-64 with the editor and i686 (the product) with mingw-w64,
# checks both DLLs' exports and imports, and runs the unit, host-level and editor suites under Wine.
#
# Compiling JUCE costs minutes per architecture, so (see docs/windows.md) the editor is built and
# tested on x86-64 only (windows-x64-editor, a superset of windows-x64); for i686 the DLL with the
# editor is built and checked statically (windows-x86-editor), and the i686 suites run without the
# editor (windows-x86) where the kernel runs 32-bit code. Elsewhere one line says they are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh windows

jobs=$(nproc)
echo "== build (windows-x64-editor)"
cmake --preset windows-x64-editor >/dev/null
cmake --build --preset windows-x64-editor -j "$jobs"
# Tests that open a window (the editor, the Winamp configuration window) get an Xvfb display of
# their own; without xvfb-run they skip. The server never resets: a reset when the last client leaves
# would drop a test that connects at that moment.
run_ctest() {
  if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -c 'TRIAXO_WINE_DISPLAY=$DISPLAY ctest "$@"' ctest "$@"
  else
    ctest "$@"
  fi
}

echo "== tests (windows-x64-editor, under Wine)"
run_ctest --preset windows-x64-editor -j "$jobs"

echo "== build (windows-x86-editor: the DLL with the editor, checked statically)"
cmake --preset windows-x86-editor >/dev/null
cmake --build --preset windows-x86-editor -j "$jobs" --target triaxo_plugin
cmake -DOBJDUMP=i686-w64-mingw32-objdump -DDLL=build/windows-x86-editor/src/plugin/Triaxo.dll -DFORMAT=pei-i386 \
  -P tests/windows/CheckDllExports.cmake

# Wine's own 32-bit loader is a 32-bit program: it starts only where the kernel runs 32-bit code.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "== build (windows-x86)"
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 -j "$jobs"
  echo "== tests (windows-x86, under Wine)"
  run_ctest --preset windows-x86 -j "$jobs"
elif [ ! -e /usr/lib/wine/wine ]; then
  echo "== windows-x86: Wine test runs skipped: Wine's 32-bit loader (wine32:i386) could not be installed (DLL checked statically)"
else
  echo "== windows-x86: Wine test runs skipped: this kernel cannot execute 32-bit programs (DLL checked statically)"
fi
