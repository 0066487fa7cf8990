#!/usr/bin/env bash
# Records what the real profile functions (Wine's kernel32) make of the probe
# table into profile_probe.golden.txt. Run after changing the table.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="$root/build/profile_probe"
mkdir -p "$out"
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -I"$root/src" -I"$here" -I"$root/tools/probe_harness" "$here/profile_probe.cpp" \
  -static -static-libgcc -static-libstdc++ -o "$out/profile_probe.exe"
"$root/tools/wine-run" "$out/profile_probe.exe" >"$here/profile_probe.golden.txt.new"
mv "$here/profile_probe.golden.txt.new" "$here/profile_probe.golden.txt"
echo "recorded $here/profile_probe.golden.txt"
