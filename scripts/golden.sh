#!/bin/sh
# The golden set: what the game shows and ends with, for work that must not change it.
#
#   scripts/golden.sh record DIR [EXE]    plays every run and keeps its dump and screenshots
#   scripts/golden.sh compare DIR [EXE]   plays them again and compares byte for byte
#
# The runs: eight random-play seeds for five minutes of virtual time, and every script in
# tests/golden/ for its own length, each with a screenshot every second and a state dump
# at the end. EXE defaults to build/bin/tolvaran. GOLDEN_SEEDS, GOLDEN_MS and
# GOLDEN_SCRIPTS (names without .txt) shorten it, as the CTest does.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:?record or compare}
dir=${2:?folder}
exe=${3:-$root/build/bin/tolvaran}
exe_dir=$(cd "$(dirname "$exe")" && pwd)
seeds=${GOLDEN_SEEDS:-"1 2 3 4 5 6 7 8"}
random_ms=${GOLDEN_MS:-300000}
scripts=${GOLDEN_SCRIPTS:-$(cd "$root/tests/golden" && ls *.txt | sed 's/\.txt$//')}

# play NAME MS [options...]: one headless run into $out/NAME.*
play() {
  name=$1 ms=$2
  shift 2
  shots=""
  t=1000
  while [ "$t" -le "$ms" ]; do
    shots="$shots --screenshot $t:$out/$name-$(printf %06d "$t").png"
    t=$((t + 1000))
  done
  # shellcheck disable=SC2086
  "$exe" --headless --mute --run-for "$ms" --dump-state "$out/$name.json" $shots "$@" \
    2>"$out/$name.stderr"
  # The monsters' picture folder is spelt from the program's own folder: with that folder
  # written as PROGRAM, builds in different checkouts compare alike.
  sed -i "s#$exe_dir#PROGRAM#g" "$out/$name.json"
}

run_all() {
  out=$1
  mkdir -p "$out"
  for seed in $seeds; do
    play "seed$seed" "$random_ms" --random-play "$seed"
  done
  for name in $scripts; do
    script=$root/tests/golden/$name.txt
    # Each script runs ten seconds past its last key, so what the keys set going shows.
    last=$(grep -v '^#' "$script" | awk 'NF { t = $1 } END { print t + 0 }')
    ms=$(( (last / 1000 + 10) * 1000 ))
    [ "$name" = fight ] && ms=120000
    play "script-$name" "$ms" --script "$script"
  done
}

case $mode in
  record)
    rm -rf "$dir"
    run_all "$dir"
    echo "golden: recorded $(ls "$dir" | wc -l) files in $dir"
    ;;
  compare)
    fresh=$(mktemp -d)
    trap 'rm -rf "$fresh"' EXIT
    run_all "$fresh"
    if diff -rq "$dir" "$fresh" >"$fresh.diff" 2>&1; then
      echo "golden: $(ls "$dir" | wc -l) files byte-identical"
      rm -f "$fresh.diff"
    else
      echo "golden: DIFFERENT" >&2
      head -20 "$fresh.diff" >&2
      rm -f "$fresh.diff"
      exit 1
    fi
    ;;
  *)
    echo "usage: $0 record|compare DIR [EXE]" >&2
    exit 2
    ;;
esac
