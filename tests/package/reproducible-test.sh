#!/usr/bin/env bash
# Makes the shipped files a second time and compares them byte for byte with the first
# build's: from a copy of the sources in another, longer folder, later, in another time
# zone, locale and umask, with the first build's SOURCE_DATE_EPOCH.
#   reproducible-test.sh <sources> <first build folder> <SOURCE_DATE_EPOCH> <toolchain file,
#                        relative to the sources> <file name>...
set -euo pipefail
src=$1 first=$2 epoch=$3 toolchain=$4
shift 4
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-second-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy=$work/another/folder/for/the/sources
mkdir -p "$copy"
# The files a clone with the working tree's changes holds (without git: all but the builds).
if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$src" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$src/$f" ] && printf '%s\0' "$f"; done |
    tar -C "$src" --null -T - -cf - | tar -C "$copy" -xf -
else
  tar -C "$src" --exclude=./build --exclude=./.cache -cf - . | tar -C "$copy" -xf -
fi

second=$work/build
(
  umask 077
  export TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 SOURCE_DATE_EPOCH=$epoch
  cmake -S "$copy" -B "$second" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$copy/$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_TESTS=OFF >"$work/configure.log" 2>&1 || { tail -20 "$work/configure.log"; exit 1; }
  cmake --build "$second" --target velmora_checksums >"$work/build.log" 2>&1 || { tail -20 "$work/build.log"; exit 1; }
)

status=0
for name in "$@"; do
  if cmp -s "$first/$name" "$second/$name"; then
    echo "same:   $name ($(stat -c %s "$first/$name") bytes)"
  else
    status=1
    differing=$(cmp -l "$first/$name" "$second/$name" 2>/dev/null | wc -l || true)
    echo "DIFFER: $name: $differing bytes differ; the first: $(cmp "$first/$name" "$second/$name" 2>&1 || true)"
  fi
done
exit $status
