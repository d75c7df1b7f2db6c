#!/usr/bin/env bash
# Installs the Debian packages a build or test group needs, skipping those already present.
# Usage: scripts/install-deps.sh [core] [gui] [ardour] [windows] [docs]   (default: core)
set -euo pipefail

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(core)

packages=()
optional=()
needs_i386=0
for group in "${groups[@]}"; do
  case "$group" in
    core)
      packages+=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
                 libsimpleini-dev juce-modules-source-data xdg-user-dirs
                 clang libclang-rt-14-dev clang-format) ;;
    gui)
      packages+=(libfreetype-dev libfontconfig-dev libx11-dev libxext-dev libxrandr-dev libxinerama-dev
                 libxcursor-dev libxrender-dev libxcomposite-dev zlib1g-dev libpng-dev libjpeg-dev
                 fonts-dejavu-core xvfb xauth x11-utils) ;;
    ardour)
      packages+=(ardour lua5.3) ;;
    windows)
      packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64)
      # Wine's 32-bit half runs the i686 suites; the Windows step says in one line when it is missing.
      optional+=(wine32:i386)
      needs_i386=1 ;;
    docs)
      # The user guide (pandoc, WeasyPrint: no TeX), its checks (poppler-utils) and the man page check.
      packages+=(pandoc weasyprint poppler-utils man-db) ;;
    *) echo "install-deps: unknown group '$group' (core, gui, ardour, windows, docs)" >&2; exit 2 ;;
  esac
done

missing_from() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
mapfile -t missing < <(missing_from "${packages[@]}")
mapfile -t missing_optional < <(missing_from "${optional[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]} ${missing_optional[*]}); run as root or install them first" >&2
  [ ${#missing[@]} -eq 0 ] && exit 0
  exit 1
fi
if [ "$needs_i386" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails an index file now and then; the lists that did arrive are usually
# enough, so a failed update is reported and the install judges, retried after a fresh update.
apt-get update -qq || echo "install-deps: apt-get update reported errors; trying the install anyway" >&2
if [ ${#missing[@]} -gt 0 ]; then
  installed=0
  for attempt in 1 2 3; do
    if apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
      installed=1
      break
    fi
    echo "install-deps: apt-get install failed (attempt $attempt of 3)" >&2
    sleep $((attempt * 10))
    apt-get update -qq || true
  done
  [ "$installed" -eq 1 ] || exit 1
fi
if [ ${#missing_optional[@]} -gt 0 ] &&
   ! apt-get install -y -qq --no-install-recommends "${missing_optional[@]}" >/dev/null 2>&1; then
  echo "install-deps: optional packages not installed (${missing_optional[*]}); going on without them" >&2
fi
exit 0
