#!/usr/bin/env bash
# Reliability under load and at scale, too long for the tests.
#
# 1. Concurrent automatic runs on one log, as start-up shortcuts start them at log-on:
#    each round starts RUNS processes of Velmora.exe at once, all checking drive C with
#    the CSV log on, into one program folder whose log is emptied first. A round holds
#    when every run ended with exit code 0 and the log holds exactly RUNS records.
# 2. Malformed input far beyond the tests' sizes: the time and peak memory of one
#    automatic run with a huge settings file or log.
#
#   bench/reliability.sh [rounds] [runs per round]     (defaults 10 and 20)
#
# Needs the win64 (or win32) build of Velmora.exe: cmake --build --preset win64
# --target Velmora. Exits non-zero when a record was lost or a run failed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
rounds=${1:-10}
runs=${2:-20}

built=$VELMORA_ROOT/build/$VELMORA_TEST_ARCH/Velmora.exe
[ -f "$built" ] || { echo "build Velmora.exe first ($built)" >&2; exit 1; }

work=$(mktemp -d /tmp/velmora-reliability.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$built" "$work/Velmora.exe"
printf '[Log   ]1\r\n[LogTXT]0\r\n' >"$work/Velmora.ini"
log="$work/Cドライブのログ.csv"

wineserver -p60 || true  # one already running serves as well
wine "$work/Velmora.exe" /DISK=C /SIZE=0 >/dev/null 2>&1 || true   # warm Wine up
rm -f "$log"

echo "== $rounds rounds of $runs concurrent runs on one log"
status=0
lost=0
declare -a seconds
for ((r = 1; r <= rounds; r++)); do
  rm -f "$log" "$work"/rc.*
  start=$(date +%s.%N)
  for ((i = 1; i <= runs; i++)); do
    (wine "$work/Velmora.exe" /DISK=C /SIZE=1 >/dev/null 2>&1; echo $? >"$work/rc.$i") &
  done
  wait
  end=$(date +%s.%N)
  records=0
  [ -f "$log" ] && records=$(($(wc -l <"$log") - 1))
  ok=$(cat "$work"/rc.* | grep -cx 0 || true)
  others=$(cat "$work"/rc.* | grep -vx 0 | sort | uniq -c | awk '{printf " %s×%s", $2, $1}' || true)
  took=$(python3 -c "print('%.2f' % ($end - $start))")
  seconds+=("$took")
  verdict=held
  if [ "$records" -ne "$runs" ] || [ "$ok" -ne "$runs" ]; then verdict=FAILED; status=1; fi
  [ "$records" -lt "$runs" ] && lost=$((lost + runs - records))
  echo "round $r: $runs runs, $records records, exit code 0 from $ok${others:+, others:$others}, ${took} s: $verdict"
done

python3 - "$rounds" "$runs" "$lost" "${seconds[*]}" <<'PY'
import sys, statistics as st
rounds, runs, lost = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
s = [float(x) for x in sys.argv[4].split()]
print()
print("runs: %d in %d rounds; records lost: %d" % (rounds * runs, rounds, lost))
print("seconds per round: median %.2f, fastest %.2f, slowest %.2f" % (st.median(s), min(s), max(s)))
PY

# One automatic run with the given settings file and log; prints its time and peak memory.
timed_run() {
  local what=$1
  /usr/bin/time -f "%e %M" -o "$work/time" wine "$work/Velmora.exe" /DISK=C /SIZE=1 >/dev/null 2>&1 &&
    code=0 || code=$?
  read -r secs kb <"$work/time"
  local size=0
  [ -f "$log" ] && size=$(stat -c %s "$log")
  printf '%-46s %6.2f s  %6.1f MB peak  exit %s  log after: %s bytes\n' "$what" "$secs" "$(echo "$kb / 1024" | bc -l)" \
    "$code" "$size"
}

echo
echo "== malformed input at scale (one run each)"
python3 - "$work" <<'PY'
import sys
w = sys.argv[1]
open(w + "/keys.ini", "wb").write(b"[LogTXT]0\r\n" * 1000000 + b"[Log   ]1\r\n")
open(w + "/line.ini", "wb").write(b"[Log   ]1" + b"x" * (100 << 20))
open(w + "/line.log", "wb").write(b"y" * (100 << 20))
open(w + "/lines.log", "wb").write(b"".join(b"r%d\r\n" % i for i in range(10000000)))
PY
cp "$work/keys.ini" "$work/Velmora.ini"; rm -f "$log"
timed_run "settings: a million key lines (11 MB)"
cp "$work/line.ini" "$work/Velmora.ini"; rm -f "$log"
timed_run "settings: one line of 100 MB"
printf '[Log   ]1\r\n[LogTXT]0\r\n' >"$work/Velmora.ini"
cp "$work/line.log" "$log"
timed_run "log: one line of 100 MB"
cp "$work/lines.log" "$log"
timed_run "log: ten million lines (98 MB)"
exit $status
