#!/bin/sh
# scripts/wayland_loss.sh EXE [USER]
#
# The compositor going away under the game: starts a headless Wayland compositor (sway on
# wlroots' headless backend, software rendering), runs EXE in it on SDL's Wayland driver
# with a state dump asked for, stops the compositor after three seconds and checks that
# the game ended with status 1, one line on stderr naming the display, and the dump
# written. sway refuses to run as root: as root, give a USER to run both as (created
# when missing). Installs sway when missing.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
user=${2:-}
command -v sway >/dev/null 2>&1 || "$root/scripts/install-deps.sh" sway

as_user() {
  if [ -n "$user" ]; then exec runuser -u "$user" -- "$@"; else exec "$@"; fi
}
if [ "$(id -u)" -eq 0 ]; then
  [ -n "$user" ] || { echo "wayland_loss.sh: as root, name a user to run sway as" >&2; exit 2; }
  id "$user" >/dev/null 2>&1 || useradd -m "$user"
fi
work=$(mktemp -d)
[ -n "$user" ] && chown "$user" "$work"
chmod 700 "$work"
cleanup() {
  [ -n "${compositor:-}" ] && kill "$compositor" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

(as_user env XDG_RUNTIME_DIR="$work" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
  WLR_RENDERER=pixman sway -c /dev/null >"$work/sway.log" 2>&1) &
compositor=$!
i=0
while ! ls "$work"/wayland-* >/dev/null 2>&1 && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
# runuser waits for sway as its child: the compositor to stop is sway itself.
if [ -n "$user" ]; then
  i=0
  while [ -z "$(pgrep -P "$compositor" -x sway || true)" ] && [ $i -lt 50 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  compositor=$(pgrep -P "$compositor" -x sway)
fi
socket=$(basename "$(ls "$work"/wayland-* | grep -v '\.lock$' | head -1)")
echo "wayland_loss: compositor $compositor on $socket"

(as_user env XDG_RUNTIME_DIR="$work" WAYLAND_DISPLAY="$socket" SDL_VIDEODRIVER=wayland \
  SDL_AUDIODRIVER=dummy "$exe" --dump-state "$work/dump.json" 2>"$work/err.txt") &
game=$!
sleep 3
kill -0 "$game" || { echo "wayland_loss: the game did not start:" >&2; cat "$work/err.txt" >&2; exit 1; }
kill "$compositor"
started=$(date +%s%N)
status=0
wait "$game" || status=$?
ms=$((($(date +%s%N) - started) / 1000000))
compositor=""
echo "wayland_loss: exit status $status after $ms ms; stderr:"
cat "$work/err.txt"
[ -s "$work/dump.json" ] && echo "wayland_loss: dump written" || echo "wayland_loss: no dump"
[ "$status" -eq 1 ] && [ "$(wc -l <"$work/err.txt")" -eq 1 ] &&
  grep -q "lost the connection to the display $socket" "$work/err.txt" && [ -s "$work/dump.json" ]
