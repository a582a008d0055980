#!/usr/bin/env bash
# The main window's answers while it measures: the longest and the 99th percentile
# wait of a message sent to the window during the walk, and the walk's duration, as
# bench/Responsiveness.cpp measures them, on three trees:
#   flat    200,000 files in 10,101 directories (the tree bench/dirwalk.sh walks)
#   single  one directory of 200,000 files
#   slow    a directory whose listing takes <slow> seconds (a FUSE file system,
#           tests/tools/slowfs.py; left out with a note where FUSE is not available)
#
#   bench/responsiveness.sh [walks] [pause ms between probes] [slow]   (defaults 3, 2, 3)
#
# Needs the win64 (or win32) build of responsiveness_bench: cmake --build --preset
# win64 --target responsiveness_bench; VELMORA_BENCH_DIR names another build's bench
# folder (an older build, to compare). The trees are built under /tmp and deleted at
# the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
walks=${1:-3}
pause=${2:-2}
slow=${3:-3}

bench=${VELMORA_BENCH_DIR:-$VELMORA_ROOT/build/$VELMORA_TEST_ARCH/bench}/responsiveness_bench.exe
[ -f "$bench" ] || { echo "build responsiveness_bench first ($bench)" >&2; exit 1; }

work=$(mktemp -d /tmp/velmora-responsive.XXXXXX)
fuse_pid=""
cleanup() {
  if [ -n "$fuse_pid" ]; then umount -l "$work/fuse" 2>/dev/null || true; kill -9 "$fuse_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
echo "building the trees in $work ..."
mkdir "$work/flat" "$work/single" "$work/fuse"
python3 "$here/make_tree.py" "$work/flat"
python3 "$here/make_tree.py" "$work/single" single 200000
trees="flat single"
if /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
  /usr/bin/python3 "$here/../tests/tools/slowfs.py" "$work/fuse" "$slow" 3600 >/dev/null 2>&1 &
  fuse_pid=$!
  disown "$fuse_pid"  # killed at the end without the shell's notice of it
  for _ in $(seq 50); do mountpoint -q "$work/fuse" && break; sleep 0.1; done
fi
if mountpoint -q "$work/fuse"; then trees="$trees slow"; else echo "slow: left out (no FUSE file system here)"; fi

echo "bench: $bench"
for t in $trees; do
  case $t in
    flat) what="200000 files in 10101 directories" dir=$work/flat ;;
    single) what="one directory of 200000 files" dir=$work/single ;;
    slow) what="one directory whose listing takes $slow s" dir=$work/fuse/slow ;;
  esac
  echo
  echo "== $t: $what; load average $(cut -d' ' -f1-3 /proc/loadavg)"
  # Without the X server's and Wine's remarks on their own ending and on the FUSE mount.
  timeout 1200 xvfb-run -a sh -c 'wineserver -p60; wine "$1" "$2" "$3" "$4"' sh "$bench" "Z:${dir//\//\\}" "$walks" "$pause" \
    2> >(grep -v -e '^X connection to' -e 'Read access denied for device' >&2) ||
    echo "$t: the benchmark failed (exit $?)"
done
