#!/usr/bin/env bash
# The release step: builds the user guide and the three archives in the ci build (the Windows DLLs are
# the ones scripts/windows-tests.sh built), then checks them as a user would meet them: the PDF's pages,
# pictures and text; each archive's listing; the DLLs inside still exporting exactly their three
# entries and carrying no debug information; an install into a scratch prefix and a per-user one, the
# installed plug-in loaded by the installed triaxo-host; the man page rendered by man.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core gui docs windows

build=build/ci
jobs=$(nproc)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package-tests: $*" >&2; exit 1; }

echo "== guide and release archives"
cmake --preset ci >/dev/null
cmake --build "$build" -j "$jobs" --target triaxo-guide
cmake --build "$build" -j "$jobs" --target triaxo-release

version=$(sed -n 's/^project(Triaxo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
guide="$build/docs/guide/Triaxo User Guide.pdf"
shots="$build/docs/guide/shots"
# The default texts: the ones the editor wrote while the pictures were taken, or the folder the build names.
defaults=$(sed -n 's/^TRIAXO_DEFAULT_TEXTS_DIR:PATH=//p' "$build/CMakeCache.txt")
[ -n "$defaults" ] || defaults="$build/docs/guide/defaults"

echo "== the guide"
pages=$(pdfinfo "$guide" | sed -n 's/^Pages: *//p')
[ "$pages" -ge 15 ] || fail "the guide has $pages pages, expected at least 15"
expected_pictures=$(grep -c . "$shots/shots.txt")
pictures=$(pdfimages -list "$guide" | tail -n +3 | grep -c ' image ' || true)
[ "$pictures" -eq "$expected_pictures" ] ||
  fail "the guide holds $pictures pictures, the shot table renders $expected_pictures"
pdftotext -layout "$guide" "$scratch/guide.txt"
for phrase in "Triaxo User Guide" "Connecting Triaxo to an instrument" "Ardour" "REAPER" "Bitwig Studio" \
              "MIDI CC Learn" "Scale Only" "Harmonic Minor" "Relative Timing" "Random Note Assignment" \
              "Same Random Velocity" "Follow Trigger Notes" "Lowest Octave" "init preset" "Settings.ini" \
              "triaxo-host" "controller 123"; do
  grep -qF "$phrase" "$scratch/guide.txt" || fail "the guide's text lacks \"$phrase\""
done
echo "$pages pages, $pictures pictures, text extractable"

have_texts=0
if [ -f "$defaults/Chords.txt" ] && [ -f "$defaults/Scale Templates.txt" ]; then
  have_texts=1
else
  echo "note: the editor wrote no Chords.txt / Scale Templates.txt, so the archives carry none"
fi

# Lists an archive and compares it with the expected entries (directories left out).
check_listing() {
  local archive=$1; shift
  cmake -E tar tf "$archive" | grep -v '/$' | sort >"$scratch/listing"
  printf '%s\n' "$@" | sort >"$scratch/expected"
  if ! diff -u "$scratch/expected" "$scratch/listing"; then
    fail "$(basename "$archive") does not hold what it should"
  fi
  echo "$(basename "$archive"): $(wc -l <"$scratch/listing") files"
}
texts_in() {
  [ "$have_texts" -eq 1 ] && printf '%s\n' "$1/Chords.txt" "$1/Scale Templates.txt"
  return 0
}

echo "== archives"
top="Triaxo-$version-Linux"
mapfile -t linux_texts < <(texts_in "$top")
check_listing "$build/packages/$top.tar.gz" "$top/Triaxo/Triaxo.so" "$top/Triaxo/Triaxo User Guide.pdf" \
  "$top/triaxo-host" "$top/triaxo-host.1" "$top/LICENSE" "$top/README.txt" "${linux_texts[@]}"
mkdir -p "$scratch/linux"
(cd "$scratch/linux" && cmake -E tar xf "$OLDPWD/$build/packages/$top.tar.gz")
"$scratch/linux/$top/triaxo-host" info | grep -q "^Plug-in: *$scratch/linux/$top/Triaxo/Triaxo.so" ||
  fail "$top: the unpacked triaxo-host does not load the unpacked plug-in"
if objdump -h "$scratch/linux/$top/Triaxo/Triaxo.so" | grep -q '\.debug_'; then
  fail "$top: Triaxo.so still carries debug information"
fi
for bits in 32 64; do
  top="Triaxo-$version-Windows-${bits}bit"
  mapfile -t win_texts < <(texts_in "$top")
  check_listing "$build/packages/$top.zip" "$top/Triaxo/Triaxo.dll" "$top/Triaxo/Triaxo User Guide.pdf" \
    "$top/LICENSE" "$top/README.txt" "${win_texts[@]}"
  mkdir -p "$scratch/win$bits"
  (cd "$scratch/win$bits" && cmake -E tar xf "$OLDPWD/$build/packages/$top.zip")
  dll="$scratch/win$bits/$top/Triaxo/Triaxo.dll"
  if [ "$bits" = 32 ]; then objdump=i686-w64-mingw32-objdump format=pei-i386; else
    objdump=x86_64-w64-mingw32-objdump format=pei-x86-64; fi
  cmake -DOBJDUMP=$objdump "-DDLL=$dll" -DFORMAT=$format -P tests/windows/CheckDllExports.cmake
  if $objdump -h "$dll" | grep -q '\.debug_'; then fail "$top: Triaxo.dll still carries debug sections"; fi
  if [ "$have_texts" -eq 1 ]; then
    for text in "Chords.txt" "Scale Templates.txt"; do
      cmp -s "$defaults/$text" "$scratch/win$bits/$top/$text" || fail "$top: $text is not the editor's default"
    done
  fi
  grep -q $'\r$' "$scratch/win$bits/$top/README.txt" || fail "$top: README.txt lacks Windows line ends"
  grep -q "${bits}-bit" "$scratch/win$bits/$top/README.txt" || fail "$top: README.txt names the wrong system"
done

echo "== install into a scratch prefix"
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in "lib/lxvst/Triaxo/Triaxo.so" "lib/lxvst/Triaxo/Triaxo User Guide.pdf" bin/triaxo-host \
         share/man/man1/triaxo-host.1; do
  [ -f "$prefix/$f" ] || fail "cmake --install put no $f into the prefix"
done
"$prefix/bin/triaxo-host" info >"$scratch/info.txt" || fail "the installed triaxo-host cannot load the plug-in"
grep -q "^Plug-in: *$prefix/lib/lxvst/Triaxo/Triaxo.so" "$scratch/info.txt" ||
  fail "the installed triaxo-host did not find the installed plug-in: $(head -1 "$scratch/info.txt")"
grep -q "^Effect name: *Triaxo$" "$scratch/info.txt" || fail "the installed plug-in does not identify as Triaxo"
echo "triaxo-host info: $(grep "^Parameters:" "$scratch/info.txt" | tr -s " ")"

echo "== per-user install (no prefix)"
home="$scratch/home"
mkdir -p "$home"
HOME="$home" cmake --install "$build" >/dev/null
for f in ".lxvst/Triaxo/Triaxo.so" ".lxvst/Triaxo/Triaxo User Guide.pdf" .local/bin/triaxo-host \
         .local/share/man/man1/triaxo-host.1; do
  [ -f "$home/$f" ] || fail "cmake --install without a prefix put no ~/$f"
done
HOME="$home" "$home/.local/bin/triaxo-host" info | grep -q "^Plug-in: *$home/.lxvst/Triaxo/Triaxo.so" ||
  fail "the per-user triaxo-host did not find the per-user plug-in"

echo "== man page"
MANWIDTH=100 MANPAGER=cat man -l "$prefix/share/man/man1/triaxo-host.1" >"$scratch/man.txt" 2>"$scratch/man.err" ||
  fail "man cannot render the page: $(cat "$scratch/man.err")"
[ ! -s "$scratch/man.err" ] || fail "man warns: $(cat "$scratch/man.err")"
for word in NAME SYNOPSIS OPTIONS "--piano-roll" "--sample-rate" "EXIT STATUS"; do
  grep -qF -- "$word" "$scratch/man.txt" || fail "the rendered man page lacks $word"
done
echo "man -l: $(wc -l <"$scratch/man.txt") lines"
echo "package-tests: all checks passed"
