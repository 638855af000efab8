#!/bin/sh
# Whether the tune replayed from memory sounds as the synthesiser would: runs the game
# twice on the splash in the real window (under xvfb-run) with SDL's disk audio driver,
# once as it plays (the second pass kept, replayed from the third) and once with
# TOLVARAN_MUSIC_LIVE=1 (every pass synthesised), and compares the two recordings sample
# by sample from the first sound on. Both runs are the same up to the third pass; from
# there the test asks that a replayed sample differ from a synthesised one by one 16-bit
# step (1/32768) at most, and exits 1 when more differ.
#
#   scripts/music_replay.sh [SECONDS]
#   scripts/music_replay.sh --compare DIR
#
# SECONDS (285) must hold three passes of the tune (87.3 s each) after the music starts.
# Runs build/bin/tolvaran (or $TOLVARAN); KEEP=DIR keeps the two recordings there, and
# --compare compares two kept recordings again. Besides the replayed against the
# synthesised third pass it prints how much the synthesiser's own third pass differs from
# its second, and whether the replay is exactly the second pass rounded to 16 bits.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--compare" ]; then
  dir=${2:?directory}
else
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
fi

python3 - "$dir/replayed.f32" "$dir/live.f32" <<'EOF'
import array, math, sys

RATE, STEP = 44100, 1.0 / 32768

def fail(why):
    print(f"music_replay: FAIL: {why}", flush=True)
    sys.exit(1)

def load(path):
    a = array.array('f')
    with open(path, 'rb') as f:
        a.frombytes(f.read())
    if sys.byteorder != 'little':
        a.byteswap()
    return a

def onset(a):
    # Both recordings start with silence while the sound font loads; the music starts
    # at the same sample of the synthesiser in both.
    for i, v in enumerate(a):
        if v != 0.0:
            return i - i % 2
    fail('a recording is silent')

def first_difference(x, y, n):
    chunk = 2 * 4096
    for at in range(0, n, chunk):
        if x[at:at + chunk].tobytes() != y[at:at + chunk].tobytes():
            return next(i for i in range(at, min(at + chunk, n)) if x[i] != y[i])
    return None

def compare(x, y):  # largest, differing, beyond a step, rms in dB below full scale
    worst, differing, beyond, energy = 0.0, 0, 0, 0.0
    for a, b in zip(x, y):
        d = abs(a - b)
        if d:
            differing += 1
            energy += d * d
            if d > worst:
                worst = d
            if d > STEP:
                beyond += 1
    rms = math.sqrt(energy / max(1, len(x)))
    return worst, differing, beyond, 20 * math.log10(rms) if rms else float('-inf')

def rms_db(x):
    return 10 * math.log10(sum(v * v for v in x) / max(1, len(x)))

def describe(name, c):
    worst, differing, beyond, db = c
    print(f"music_replay: {name}: {differing} samples differ, the largest by {worst:.3e} "
          f"({worst / STEP:.1f} steps), {beyond} by more than one step; "
          f"difference rms {db:.1f} dBFS")

replayed, live = load(sys.argv[1]), load(sys.argv[2])
r0, l0 = onset(replayed), onset(live)
n = min(len(replayed) - r0, len(live) - l0)
rv = memoryview(replayed)[r0:r0 + n]
lv = memoryview(live)[l0:l0 + n]
print(f"music_replay: compared {n / 2 / RATE:.2f} s from the first sound ({n // 2} frames)")
first = first_difference(rv, lv, n)
if first is None:
    fail("the recordings are identical (nothing was replayed?)")
# The third pass, the first replayed, starts where the two first differ: after two passes.
pass_len = first // 2
print(f"music_replay: passes 1 and 2 identical ({first // 2} frames, "
      f"{first / 2 / RATE:.3f} s); pass 3 from there to {3 * pass_len / 2 / RATE:.3f} s")
if n < first + pass_len:
    fail("the recordings end before the third pass does")
third = rv[first:first + pass_len]
live3, live2 = lv[first:first + pass_len], lv[first - pass_len:first]
print(f"music_replay: pass 3 synthesised: rms {rms_db(live3):.1f} dBFS")
against_live = compare(third, live3)
describe("pass 3, replayed against synthesised", against_live)
describe("pass 3 against pass 2, both synthesised", compare(live3, live2))
exact = all(a == round(b * 32768) * STEP for a, b in zip(third, live2))
print("music_replay: the replayed pass 3 is the synthesised pass 2 rounded to 16 bits: "
      + ("yes, every sample" if exact else "NO"))
if against_live[2] or not exact:
    fail("beyond one 16-bit step")
print("music_replay: OK")
EOF
