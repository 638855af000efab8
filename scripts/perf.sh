#!/bin/sh
# One figure of the Performance table, measured after a warm-up: the game's CPU share
# ((user + system) / wall), its wake-ups (voluntary context switches of all its threads)
# per second and its peak anonymous memory, from /proc while it runs.
#
#   scripts/perf.sh SECONDS [game options...]
#
# Runs build/bin/tolvaran (or $TOLVARAN) under xvfb-run with SDL's dummy audio driver for
# SECONDS (it adds --run-for), skips the first 2 s (WARMUP) and measures up to its
# last sample (every half second) before the game ends. XVFB_ARGS passes a screen to xvfb-run (e.g. for a fullscreen run:
# XVFB_ARGS="-screen 0 1920x1080x24"). A run whose display did not come up is tried again.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:?seconds}
shift
exe=${TOLVARAN:-$root/build/bin/tolvaran}
warm=${WARMUP:-2}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
name=$(basename "$exe" | cut -c1-15)
tick=$(getconf CLK_TCK)
now() { date +%s.%N; }
cpu() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat"; }
# "TID SWITCHES" per thread.
switches() {
  for t in /proc/"$pid"/task/*; do
    printf '%s %s\n' "${t##*/}" "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t/status" 2>/dev/null)"
  done
}
anon() { awk '/^RssAnon/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0; }

for attempt in 1 2 3; do
  xvfb-run -a ${XVFB_ARGS:+-s "$XVFB_ARGS"} "$exe" --run-for "$((secs * 1000))" "$@" \
    2>/tmp/perf.$$.err &
  top=$!
  # The game is a descendant of xvfb-run's shell.
  pid=""
  while [ -z "$pid" ] && kill -0 "$top" 2>/dev/null; do
    sleep 0.05
    pid=$(ps -eo pid=,ppid=,comm= | awk -v t="$top" -v n="$name" '
      { parent[$1] = $2; name[$1] = $3 }
      END { for (p in name) if (name[p] == n) { q = p
              while (q != "" && q != t && q != 1) q = parent[q]
              if (q == t) print p } }' | head -1)
  done
  sleep "$warm"
  if [ -n "$pid" ] && [ -e "/proc/$pid/stat" ]; then break; fi
  wait "$top" || true
  echo "perf.sh: the game did not run (attempt $attempt): $(head -c 200 /tmp/perf.$$.err)" >&2
  pid=""
done
[ -n "$pid" ] || exit 1
peak=0
c0=$(cpu); switches >/tmp/perf.$$.w0; t0=$(now)
c1=$c0; cp /tmp/perf.$$.w0 /tmp/perf.$$.w1; t1=$t0
# Samples every half second until the game ends; the last complete sample counts.
while c=$(cpu 2>/dev/null) && switches >/tmp/perf.$$.ws && t=$(now) && [ -e "/proc/$pid/stat" ]; do
  c1=$c; t1=$t; mv /tmp/perf.$$.ws /tmp/perf.$$.w1
  a=$(anon)
  [ "${a:-0}" -gt "$peak" ] && peak=$a
  sleep 0.5
done
wait "$top" || true
# Threads that ended between the samples are lost; new ones count from zero.
w=$(awk 'NR == FNR { before[$1] = $2; next } { s += $2 - (($1 in before) ? before[$1] : 0) }
         END { print s + 0 }' /tmp/perf.$$.w0 /tmp/perf.$$.w1)
rm -f /tmp/perf.$$.w0 /tmp/perf.$$.w1 /tmp/perf.$$.ws /tmp/perf.$$.err
echo "$secs s $*: cpu $(echo "scale=2; 100 * ($c1 - $c0) / $tick / ($t1 - $t0)" | bc) %," \
  "wake-ups $(echo "scale=1; $w / ($t1 - $t0)" | bc)/s, peak RssAnon $((peak / 1024)) MB"
