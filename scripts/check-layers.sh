#!/usr/bin/env bash
# Fails when a file under src/ includes a header from a layer above its own.
# The layers, bottom first: port and settings; ratio and language; window; the
# adapters (window/qt, window/win32); main. A layer may include its own room and
# the layers below it, never a sibling or anything above.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layer of a source file, by its path, and of an include, by its first folder.
file_layer() {
  case "$1" in
    src/port/* | src/settings/*) echo 0 ;;
    src/ratio/* | src/language/*) echo 1 ;;
    src/window/main.cpp) echo 4 ;;
    src/window/qt/* | src/window/win32/*) echo 3 ;;
    src/window/*) echo 2 ;;
    *) echo 9 ;;
  esac
}
include_layer() {
  case "$1" in
    port | settings) echo 0 ;;
    ratio | language) echo 1 ;;
    window) echo 2 ;;
    qt | win32) echo 3 ;;
    *) echo -1 ;;  # the file's own folder
  esac
}
room() {
  case "$1" in
    src/window/qt/*) echo qt ;;
    src/window/win32/*) echo win32 ;;
    *) echo "$1" | cut -d/ -f2 ;;
  esac
}

bad=0
while IFS= read -r file; do
  mine=$(file_layer "$file")
  own=$(room "$file")
  while IFS= read -r folder; do
    theirs=$(include_layer "$folder")
    [ "$theirs" -lt 0 ] || [ "$folder" = "$own" ] && continue
    if [ "$theirs" -ge "$mine" ]; then
      echo "check-layers: $file includes from $folder/, a layer not below its own" >&2
      bad=1
    fi
  done < <(sed -n 's|^#include "\([a-z0-9_]*\)/.*"|\1|p' "$file")
done < <(git ls-files 'src/*.cpp' 'src/*.h')
[ "$bad" -eq 0 ] && echo "check-layers: every include points down"
exit "$bad"
