#!/usr/bin/env bash
# Runs one Windows test executable under Wine for CTest (CMAKE_CROSSCOMPILING_EMULATOR).
# Usage: wine-run.sh <win64|win32> <wineprefix> <program.exe> [arguments...]
#
# - The prefix is the build tree's own (never the user's ~/.wine) and is made on first use, once,
#   under a lock, since CTest starts several tests at the same time.
# - The wine server is started here, detached and with a 30 s linger (-p30), with its standard
#   streams on /dev/null. Wine's helper processes (services, device and desktop processes) started
#   by the test inherit only a temporary output file, never CTest's pipes, so CTest never waits for
#   a server or helper that outlives the test.
set -uo pipefail

if [ $# -lt 3 ]; then
  echo "usage: wine-run.sh <win64|win32> <wineprefix> <program.exe> [arguments...]" >&2
  exit 2
fi
arch=$1
prefix=$2
shift 2

case "$arch" in
  win64) loader=/usr/lib/wine/wine64 ;;
  win32) loader=/usr/lib/wine/wine ;;
  *) echo "wine-run: unknown architecture '$arch' (win64, win32)" >&2; exit 2 ;;
esac
[ -x "$loader" ] || loader=$(command -v wine) || { echo "wine-run: Wine is not installed" >&2; exit 2; }
server=/usr/lib/wine/wineserver
[ -x "$server" ] || server=$(command -v wineserver) || { echo "wine-run: wineserver is missing" >&2; exit 2; }

export WINEPREFIX=$prefix
export WINEARCH=$arch
export WINEDEBUG=-all
# No Mono or Gecko installer prompts: the tests need neither, and there is no network to fetch them.
export WINEDLLOVERRIDES="mscoree,mshtml=d"
# Windows open only on a display named for the tests (an Xvfb, see scripts/windows-tests.sh), never
# on the user's desktop; without one, tests that need a window skip.
unset WAYLAND_DISPLAY
if [ -n "${TRIAXO_WINE_DISPLAY:-}" ]; then
  export DISPLAY=$TRIAXO_WINE_DISPLAY
else
  unset DISPLAY
fi

mkdir -p "$(dirname "$prefix")"
{
  flock -w 300 9 || { echo "wine-run: timed out waiting for the prefix lock" >&2; exit 2; }
  # Starts (or finds) this prefix's server; a second start answers "already running" and exits.
  # Whatever starts here outlives this script, so it must not inherit the lock (fd 9) either.
  "$server" -p30 </dev/null >/dev/null 2>&1 9>&-
  if [ ! -f "$prefix/system.reg" ]; then
    timeout 300 "$loader" wineboot --init </dev/null >/dev/null 2>&1 9>&-
    "$server" -p30 </dev/null >/dev/null 2>&1 9>&-
  fi
} 9>"$prefix.lock"

output=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$output"' EXIT
"$loader" "$@" </dev/null >"$output" 2>&1
status=$?
cat "$output"
exit $status
