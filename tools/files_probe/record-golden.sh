#!/usr/bin/env bash
# Records what the real file functions (Wine's kernel32) make of the probe
# table into files_probe.golden.txt. Run after changing the table.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="$root/build/files_probe"
mkdir -p "$out"
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -I"$root/src" -I"$here" -I"$root/tools/probe_harness" "$here/files_probe.cpp" \
  -static -static-libgcc -static-libstdc++ -o "$out/files_probe.exe"
LUMORA_WINE_AS_PLAYER=1 "$root/tools/wine-run" "$out/files_probe.exe" >"$here/files_probe.golden.txt.new"
mv "$here/files_probe.golden.txt.new" "$here/files_probe.golden.txt"
echo "recorded $here/files_probe.golden.txt"
