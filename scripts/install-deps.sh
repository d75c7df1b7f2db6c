#!/usr/bin/env bash
# Installs the Debian packages a build or test group needs, skipping those already present.
# Usage: scripts/install-deps.sh [core] [gui] [ardour] [windows] [docs]   (default: core)
set -euo pipefail

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(core)

packages=()
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
      packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 wine32:i386)
      needs_i386=1 ;;
    docs)
      # The user guide (pandoc, WeasyPrint: no TeX), its checks (poppler-utils) and the man page check.
      packages+=(pandoc weasyprint poppler-utils man-db) ;;
    *) echo "install-deps: unknown group '$group' (core, gui, ardour, windows, docs)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root or install them first" >&2
  exit 1
fi
if [ "$needs_i386" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails one index file; the lists that did arrive are enough for most
# installs, so a failed update is retried and then left to the install to judge.
for attempt in 1 2 3; do
  apt-get update -qq && break
  echo "install-deps: apt-get update failed (attempt $attempt of 3)" >&2
  sleep $((attempt * 10))
done
for attempt in 1 2 3; do
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null && exit 0
  echo "install-deps: apt-get install failed (attempt $attempt of 3)" >&2
  sleep $((attempt * 10))
  apt-get update -qq || true
done
exit 1
