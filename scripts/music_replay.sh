#!/bin/sh
# Whether the tune as the game plays it sounds as the synthesiser would: runs the game
# twice on the splash in the real window (under xvfb-run) with SDL's disk audio driver,
# once as it plays (its first two passes from the recording made at build time, the
# recording's second pass again from the third on) and once with TOLVARAN_MUSIC_LIVE=1
# (every pass synthesised), and compares the two sample by sample from the first sound
# on. The recording holds the synthesiser's samples rounded to 16 bits, so over the first
# two passes every played sample must be the synthesised one rounded to the nearest
# 16-bit step (1/32768); from the third pass the test asks that a played sample differ
# from a synthesised one by one step at most, and exits 1 when more differ.
#
#   scripts/music_replay.sh [SECONDS]
#   scripts/music_replay.sh --compare DIR
#
# SECONDS (285) must hold three passes of the tune (87.3 s each) after the music starts.
# Runs build/bin/tolvaran (or $TOLVARAN), whose recording is in music/ beside it; KEEP=DIR
# keeps the two recordings (and a copy of the tune's recording) there, and --compare
# compares kept ones again. Besides the played against the synthesised third pass it
# prints how much the synthesiser's own third pass differs from its second, and whether
# the played third pass is exactly the second pass rounded to 16 bits.
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
  cp "$(dirname "$exe")"/music/*.tune "$dir/tune.rec" || {
    echo "music_replay: FAIL: no recording of the tune beside $exe" >&2
    exit 1
  }
  record replayed 0 &
  a=$!
  record live 1 &
  b=$!
  wait "$a"
  wait "$b"
fi

python3 - "$dir/replayed.f32" "$dir/live.f32" "$dir/tune.rec" <<'EOF'
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

def q(v):  # a sample rounded to the nearest 16-bit step, as the recording holds it
    return max(-32768, min(32767, round(v * 32768))) * STEP

def first_sound(a, quantise):
    for i, v in enumerate(a):
        if (q(v) if quantise else v) != 0.0:
            return i - i % 2
    fail('a recording is silent')

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
with open(sys.argv[3], 'rb') as f:
    header = f.read(36)
if header[:8] != b'TVTUNEv1':
    fail('the tune\'s recording is not one')
frames, second = (int.from_bytes(header[i:i + 4], 'little') for i in (24, 28))
# The live run starts with silence while the sound font loads, the played one with the
# silence of the device's first buffer. The music starts at the live run's first sound;
# the played run's first sound is as far after its start as the live run's first sound
# at 16 bits is after the live start.
l0 = first_sound(live, False)
r0 = first_sound(replayed, False) - (first_sound(live, True) - l0)
n = min(len(replayed) - r0, len(live) - l0)
rv = memoryview(replayed)[r0:r0 + n]
lv = memoryview(live)[l0:l0 + n]
print(f"music_replay: compared {n / 2 / RATE:.2f} s from the first sound ({n // 2} frames)")
pass_len = 2 * (frames - second)
both = 2 * frames
if n < both + pass_len:
    fail("the recordings end before the third pass does")
off = sum(1 for a, b in zip(rv[:both], lv[:both]) if a != q(b))
worst = max(abs(a - b) for a, b in zip(rv[:both], lv[:both]))
print(f"music_replay: passes 1 and 2 ({frames} frames, {frames / RATE:.3f} s), played against "
      f"synthesised: the largest difference {worst / STEP:.3f} steps; "
      + ("every sample the synthesised one rounded to 16 bits" if off == 0
         else f"{off} samples are NOT the synthesised one rounded to 16 bits"))
third = rv[both:both + pass_len]
live3, live2 = lv[both:both + pass_len], lv[both - pass_len:both]
print(f"music_replay: pass 3 from {both / 2 / RATE:.3f} s, synthesised: rms {rms_db(live3):.1f} dBFS")
against_live = compare(third, live3)
describe("pass 3, played against synthesised", against_live)
describe("pass 3 against pass 2, both synthesised", compare(live3, live2))
exact = all(a == q(b) for a, b in zip(third, live2))
print("music_replay: the played pass 3 is the synthesised pass 2 rounded to 16 bits: "
      + ("yes, every sample" if exact else "NO"))
if off or against_live[2] or not exact:
    fail("beyond one 16-bit step")
print("music_replay: OK")
EOF
