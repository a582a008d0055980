#!/usr/bin/env bash
# The main window's answers while it measures the 200,000-file tree (10,000
# directories, the same tree bench/dirwalk.sh walks): the longest and the 99th
# percentile wait of a message sent to the window during the walk, and the walk's
# duration, as bench/Responsiveness.cpp measures them.
#
#   bench/responsiveness.sh [walks] [pause ms between probes]     (defaults 3 and 2)
#
# Needs the win64 (or win32) build of responsiveness_bench: cmake --build --preset
# win64 --target responsiveness_bench. The tree is built under /tmp and deleted at
# the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
walks=${1:-3}
pause=${2:-2}

bench=$VELMORA_ROOT/build/$VELMORA_TEST_ARCH/bench/responsiveness_bench.exe
[ -f "$bench" ] || { echo "build responsiveness_bench first ($bench)" >&2; exit 1; }

tree=$(mktemp -d /tmp/velmora-responsive.XXXXXX)
trap 'rm -rf "$tree"' EXIT
echo "building the tree in $tree ..."
python3 "$here/make_tree.py" "$tree"
winTree="Z:${tree//\//\\}"
echo "tree: 200000 files in 10101 directories; load average $(cut -d' ' -f1-3 /proc/loadavg)"

timeout 1200 xvfb-run -a sh -c 'wineserver -p60; wine "$1" "$2" "$3" "$4"' sh "$bench" "$winTree" "$walks" "$pause"
