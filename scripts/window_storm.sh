#!/bin/sh
# scripts/window_storm.sh EXE [SECONDS] [SEED]
#
# The real window under a restless desktop: starts a private X server (Xvfb) with a
# window manager (openbox), runs EXE --random-play SEED --run-for SECONDS (sound on SDL's
# silent device) and, every few hundred milliseconds until it ends, resizes its window,
# minimises and restores it, toggles fullscreen (F11) and moves the focus to another
# window and back (xdotool). Meant for a sanitized build (build-test/bin/tolvaran).
# Reads the game's anonymous resident memory (RssAnon) after every action and prints,
# for each minute, the lowest and highest seen and VmRSS at its end, so a growth shows as
# minimum and maximum rising minute after minute (the window's own size moves both a
# little); then its exit status and whether its stderr holds anything; fails unless it
# ended with 0 and said nothing.
# Installs Xvfb, openbox, xdotool and xmessage when missing. 600 s by default.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$1
seconds=${2:-600}
seed=${3:-7}
missing=""
command -v Xvfb >/dev/null 2>&1 || missing="$missing xvfb"
command -v openbox >/dev/null 2>&1 || missing="$missing openbox"
command -v xdotool >/dev/null 2>&1 || missing="$missing xdotool"
command -v xmessage >/dev/null 2>&1 || missing="$missing x11-utils"
# shellcheck disable=SC2086
if [ -n "$missing" ]; then "$root/scripts/install-deps.sh" $missing; fi

work=$(mktemp -d)
exec 3>"$work/displayfd"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
i=0
while [ ! -s "$work/displayfd" ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i + 1)); done
DISPLAY=:$(cat "$work/displayfd")
export DISPLAY
cleanup() {
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
openbox >/dev/null 2>&1 &
xmessage -geometry +0+0 "the other window" >/dev/null 2>&1 &
other_pid=$!
sleep 1

# The sanitizers' quarantine of freed memory counts as resident until it is full; a
# smaller one lets a steady state show within the first minute.
ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32} SDL_AUDIODRIVER=dummy \
  "$exe" --random-play "$seed" --run-for "$((seconds * 1000))" 2>"$work/err.txt" &
game=$!
window=""
i=0
while [ -z "$window" ] && [ $i -lt 300 ]; do
  window=$(xdotool search --pid "$game" 2>/dev/null | tail -1 || true)
  sleep 0.1
  i=$((i + 1))
done
other=$(xdotool search --pid "$other_pid" 2>/dev/null | tail -1 || true)
echo "window_storm: game $game, window $window, display $DISPLAY"

start=$(date +%s)
next_report=60
n=0
last=""
low=""
high=0
while kill -0 "$game" 2>/dev/null; do
  n=$((n + 1))
  case $((n % 9)) in
    0) xdotool windowsize "$window" $((100 + n * 37 % 1500)) $((80 + n * 53 % 1100)) ;;
    1) xdotool windowminimize "$window" ;;
    2) xdotool windowmap "$window" windowactivate "$window" ;;
    3) xdotool key --window "$window" --clearmodifiers F11 ;;
    4) [ -n "$other" ] && xdotool windowactivate "$other" ;;
    5) xdotool windowactivate "$window" ;;
    6) xdotool windowsize "$window" 1 1 ;;
    7) xdotool windowmove "$window" $((n * 71 % 900)) $((n * 29 % 700)) ;;
    8) xdotool windowactivate "$window" key F11 ;;
  esac >/dev/null 2>&1 || true
  sleep 0.$((2 + n % 3))
  elapsed=$(($(date +%s) - start))
  anon=$(awk '/^RssAnon:/ { print $2 }' "/proc/$game/status" 2>/dev/null || true)
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$game/status" 2>/dev/null || true)
  if [ -n "$anon" ]; then
    last="${elapsed} s  RssAnon $anon kB  VmRSS $rss kB"
    if [ -z "$low" ] || [ "$anon" -lt "$low" ]; then low=$anon; fi
    if [ "$anon" -gt "$high" ]; then high=$anon; fi
  fi
  if [ "$elapsed" -ge "$next_report" ] && [ -n "$low" ]; then
    echo "window_storm: minute $((next_report / 60)): RssAnon $low..$high kB, VmRSS $rss kB, actions $n"
    next_report=$((next_report + 60))
    low=""
    high=0
  fi
done
status=0
wait "$game" || status=$?
echo "window_storm: last seen at $last"
echo "window_storm: exit status $status after $n actions"
if [ -s "$work/err.txt" ]; then
  echo "window_storm: stderr:"
  head -50 "$work/err.txt"
fi
[ "$status" -eq 0 ] && [ ! -s "$work/err.txt" ]
