#!/bin/sh
# Installs what is missing, builds the game (Release, into build/) and starts it.
# Arguments are passed on to the game, e.g. ./scripts/play.sh --scale 2
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=${JOBS:-$(nproc)}
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DTOLVARAN_TESTS=OFF -DTOLVARAN_BENCH=OFF
cmake --build "$root/build" -j "$jobs" --target tolvaran
exec "$root/build/bin/tolvaran" "$@"
