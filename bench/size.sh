#!/usr/bin/env bash
# The program's size: Velmora.exe and vb6stkit.dll of the stripped Release build for
# 32-bit Windows (build/win32), by section, with the DLLs each imports, and the size
# of the two packed as a zip; then the downloads as built (zip and setup program).
#
#   bench/size.sh [build folder]     (default build/win32)
#
# Build first: cmake --preset win32 && cmake --build --preset win32 --target Velmora vb6stkit
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-$root/build/win32}
objdump=i686-w64-mingw32-objdump
grep -q x86_64 <<<"$(file "$build/Velmora.exe" 2>/dev/null)" && objdump=x86_64-w64-mingw32-objdump

for f in "$build/Velmora.exe" "$build/vb6stkit.dll"; do
  [ -f "$f" ] || { echo "build it first: $f" >&2; exit 1; }
  size=$(stat -c %s "$f")
  printf '%-14s %8d bytes (%.0f KB)\n' "$(basename "$f")" "$size" "$(echo "$size / 1024" | bc -l)"
  # Section name and size in bytes; a stripped file has no .debug sections.
  "$objdump" -h "$f" | awk '$1 ~ /^[0-9]+$/ { print $2, $3 }' |
    while read -r name hex; do printf '  %-10s %8d\n' "$name" "0x$hex"; done
  if "$objdump" -h "$f" | grep -q '\.debug'; then echo "  (not stripped: has .debug sections)"; else echo "  stripped"; fi
  echo "  imports: $("$objdump" -p "$f" | sed -n 's/^\s*DLL Name: //p' | sort -f | tr '\n' ' ')"
done
zip=$(mktemp -u /tmp/velmora-size.XXXXXX).zip
(cd "$build" && cmake -E tar cf "$zip" --format=zip Velmora.exe vb6stkit.dll)
printf 'both as a zip  %8d bytes\n' "$(stat -c %s "$zip")"
rm -f "$zip"
# The two downloads as built (scripts/build): the zip with the help, and the setup program.
for f in "$build"/Velmora-*-win*.zip "$build"/Velmora-*-setup.exe; do
  [ -f "$f" ] || continue
  printf '%-24s %8d bytes (%.0f KB)\n' "$(basename "$f")" "$(stat -c %s "$f")" "$(echo "$(stat -c %s "$f") / 1024" | bc -l)"
done
