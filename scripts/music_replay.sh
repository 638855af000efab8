#!/bin/sh
# Whether the tune replayed from memory sounds as the synthesiser would: runs the game
# twice on the splash in the real window (under xvfb-run) with SDL's disk audio driver,
# once as it plays (the second pass kept, replayed from the third) and once with
# TOLVARAN_MUSIC_LIVE=1 (every pass synthesised), and compares the two recordings sample
# by sample from the first sound on. Both runs are the same up to the third pass; from
# there a replayed sample may differ from a synthesised one by one 16-bit step
# (1/32768), no more.
#
#   scripts/music_replay.sh [SECONDS]
#
# SECONDS (285) must hold three passes of the tune (87.3 s each) after the music starts.
# Runs build/bin/tolvaran (or $TOLVARAN); KEEP=DIR keeps the two recordings there.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-285}
exe=${TOLVARAN:-$root/build/bin/tolvaran}
dir=${KEEP:-$(mktemp -d)}
mkdir -p "$dir"

record() {  # NAME LIVE
  TOLVARAN_MUSIC_LIVE=$2 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/$1.f32" \
    xvfb-run -a "$exe" --run-for "$((secs * 1000))" >"$dir/$1.log" 2>&1
}
record replayed 0 &
a=$!
record live 1 &
b=$!
wait "$a"
wait "$b"

python3 - "$dir/replayed.f32" "$dir/live.f32" <<'EOF'
import array, sys

RATE, STEP = 44100, 1.0 / 32768

def load(path):
    a = array.array('f')
    with open(path, 'rb') as f:
        a.frombytes(f.read())
    if sys.byteorder != 'little':
        a.byteswap()
    return a

replayed, live = load(sys.argv[1]), load(sys.argv[2])

def onset(a):
    # Both recordings start with silence while the sound font loads; the music starts
    # at the same sample of the synthesiser in both.
    for i, v in enumerate(a):
        if v != 0.0:
            return i - i % 2
    sys.exit('music_replay: a recording is silent')

r0, l0 = onset(replayed), onset(live)
n = min(len(replayed) - r0, len(live) - l0)
rb = memoryview(replayed)[r0:r0 + n]
lb = memoryview(live)[l0:l0 + n]
first, worst, differing, over = None, 0.0, 0, 0
chunk = 2 * 4096
for at in range(0, n, chunk):
    x, y = rb[at:at + chunk], lb[at:at + chunk]
    if x.tobytes() == y.tobytes():
        continue
    for i in range(len(x)):
        d = abs(x[i] - y[i])
        if d:
            if first is None:
                first = at + i
            differing += 1
            worst = max(worst, d)
            if d > STEP:
                over += 1
seconds = n / 2 / RATE
print(f"music_replay: compared {seconds:.2f} s from the first sound "
      f"({n // 2} frames, {n} samples)")
if first is None:
    sys.exit("music_replay: FAIL: the recordings are identical (nothing was replayed?)")
pass_len = first / 2 / 2 / RATE  # the third pass starts after two
print(f"music_replay: identical for the first {first / 2 / RATE:.3f} s (passes 1 and 2, "
      f"{pass_len:.3f} s each); the third pass ends at {3 * pass_len:.3f} s")
print(f"music_replay: {differing} samples differ, the largest by {worst:.3e} "
      f"({worst / STEP:.3f} of a 16-bit step); {over} by more than one step")
if seconds < 3 * pass_len:
    sys.exit("music_replay: FAIL: the recording ends before the third pass does")
if over:
    sys.exit("music_replay: FAIL: beyond one 16-bit step")
print("music_replay: OK")
EOF
