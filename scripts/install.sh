#!/usr/bin/env bash
# Builds and installs Triaxo for this user: the plug-in and its guide into ~/.lxvst/Triaxo, triaxo-host
# into ~/.local/bin with its man page. With a prefix (scripts/install.sh /usr/local) everything goes
# under it instead: PREFIX/lib/lxvst/Triaxo, PREFIX/bin, PREFIX/share/man/man1.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core gui docs

cmake --preset default >/dev/null
cmake --build build/default -j "$(nproc)" --target triaxo_plugin triaxo-host triaxo-host-manpage triaxo-guide
if [ $# -gt 0 ]; then
  cmake --install build/default --prefix "$1"
else
  cmake --install build/default
fi
