#!/bin/sh
# One figure of the Performance table, measured after a warm-up: the game's CPU share
# ((user + system) / wall), its wake-ups (voluntary context switches of all its threads)
# per second and its peak anonymous memory, from /proc while it runs.
#
#   scripts/perf.sh SECONDS [game options...]
#
# Runs build/bin/tolvaran (or $TOLVARAN) under xvfb-run with SDL's dummy audio driver for
# SECONDS (it adds --run-for), skips the first 2 s (WARMUP) and measures up to half a
# second before the end. XVFB_ARGS passes a screen to xvfb-run (e.g. for a fullscreen run:
# XVFB_ARGS="-screen 0 1920x1080x24").
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:?seconds}
shift
exe=${TOLVARAN:-$root/build/bin/tolvaran}
warm=${WARMUP:-2}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
xvfb-run -a ${XVFB_ARGS:+-s "$XVFB_ARGS"} "$exe" --run-for "$((secs * 1000))" "$@" &
top=$!
# The game is a descendant of xvfb-run's shell.
name=$(basename "$exe" | cut -c1-15)
pid=""
while [ -z "$pid" ]; do
  sleep 0.05
  pid=$(ps -eo pid=,ppid=,comm= | awk -v t="$top" -v n="$name" '
    { parent[$1] = $2; name[$1] = $3 }
    END { for (p in name) if (name[p] == n) { q = p
            while (q != "" && q != t && q != 1) q = parent[q]
            if (q == t) print p } }' | head -1)
done
tick=$(getconf CLK_TCK)
cpu() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat"; }
switches() { cat /proc/"$pid"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { print s + 0 }'; }
now() { date +%s.%N; }
peak=0
anon() { awk '/^RssAnon/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0; }
sleep "$warm"
c0=$(cpu); w0=$(switches); t0=$(now)
end=$(echo "$secs - $warm - 0.5" | bc)
while [ "$(echo "$(now) - $t0 < $end" | bc)" = 1 ]; do
  a=$(anon)
  [ "${a:-0}" -gt "$peak" ] && peak=$a
  sleep 0.5
done
c1=$(cpu); w1=$(switches); t1=$(now)
wait "$top" || true
echo "$secs s $*: cpu $(echo "scale=2; 100 * ($c1 - $c0) / $tick / ($t1 - $t0)" | bc) %," \
  "wake-ups $(echo "scale=1; ($w1 - $w0) / ($t1 - $t0)" | bc)/s, peak RssAnon $((peak / 1024)) MB"
