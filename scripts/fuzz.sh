#!/bin/sh
# scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#
# Fuzzes one target (fuzz_pictures_gif, fuzz_sound_midi ...; `scripts/fuzz.sh --list`
# names them) with libFuzzer for SECONDS, under AddressSanitizer and
# UndefinedBehaviorSanitizer. Installs clang and its runtime libraries when missing and
# builds the fuzz targets with every library coverage-instrumented into build-fuzz/
# (FUZZ_BUILD_DIR to choose another folder).
#
# The fuzzer starts from the seeds the build writes, the hand-made edge files of
# fuzz/corpus/TARGET and the regression inputs of fuzz/regressions/TARGET, and keeps what
# it finds in <build>/fuzz/work/TARGET for the next run. A crash, leak or slow input is
# written to <build>/fuzz/artifacts/TARGET/ and ends the run with a non-zero status: a
# small file that shows a fixed bug belongs in fuzz/regressions/TARGET/, where CTest
# replays it. Extra options go to libFuzzer (e.g. -runs=1000000, -jobs=2).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}

targets() {
  sed -n 's/.*tolvaran_fuzz_target(\(fuzz_[a-z_]*[a-z]\)[ )].*/\1/p' "$root"/fuzz/*/CMakeLists.txt
  # Targets made in a loop: fuzz_pictures_<name> for each name of the foreach list.
  sed -n 's/^foreach(target \(.*\))$/\1/p' "$root/fuzz/pictures/CMakeLists.txt" | tr ' ' '\n' |
    sed 's/^/fuzz_pictures_/'
  sed -n 's/^foreach(target \(.*\))$/\1/p' "$root/fuzz/sound/CMakeLists.txt" | tr ' ' '\n' |
    sed 's/^/fuzz_sound_/'
}

if [ "${1:-}" = "--list" ]; then
  targets | sort
  exit 0
fi
if [ $# -lt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...] (--list: the targets)" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
if ! targets | grep -qx "$target"; then
  echo "fuzz.sh: no fuzz target '$target' (see scripts/fuzz.sh --list)" >&2
  exit 2
fi

# clang, and the fuzzer and sanitizer runtimes that Debian packs apart from it.
if ! command -v clang++ >/dev/null 2>&1 ||
   [ ! -f "$(clang++ -print-runtime-dir 2>/dev/null)/libclang_rt.fuzzer-x86_64.a" ]; then
  "$root/scripts/install-deps.sh" clang libclang-rt-14-dev
fi
"$root/scripts/install-deps.sh"

if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=""
  if command -v ccache >/dev/null 2>&1; then
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
  fi
  # shellcheck disable=SC2086
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1" \
    -DCMAKE_C_FLAGS_RELEASE="-O1" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTOLVARAN_SANITIZE=ON -DTOLVARAN_LIBFUZZER=ON -DTOLVARAN_BENCH=OFF $launcher >/dev/null
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "$target" tolvaran-fuzz-corpus >/dev/null

case $target in
  fuzz_pictures_gif | fuzz_pictures_gif_first) dict=gif ;;
  fuzz_pictures_png) dict=png ;;
  fuzz_pictures_bmp) dict=bmp ;;
  fuzz_pictures_icon) dict=icon ;;
  fuzz_pictures_pcx) dict=pcx ;;
  fuzz_pictures_jpeg) dict=jpeg ;;
  fuzz_sound_wave) dict=wave ;;
  fuzz_sound_midi) dict=midi ;;
  fuzz_script) dict=script ;;
  fuzz_command_line) dict=command_line ;;
  fuzz_pictures_loader | fuzz_stage_transforms) dict=loader ;;
  *) dict="" ;;
esac
dict_option=""
if [ -n "$dict" ]; then
  file="$root/fuzz/dict/$dict.dict"
  if [ "$dict" = loader ]; then
    # The targets that take any picture get the words of every picture format.
    file="$build/fuzz/pictures.dict"
    cat "$root"/fuzz/dict/gif.dict "$root"/fuzz/dict/png.dict "$root"/fuzz/dict/bmp.dict \
      "$root"/fuzz/dict/icon.dict "$root"/fuzz/dict/pcx.dict "$root"/fuzz/dict/jpeg.dict >"$file"
  fi
  dict_option="-dict=$file"
fi

work="$build/fuzz/work/$target"
artifacts="$build/fuzz/artifacts/$target"
mkdir -p "$work" "$artifacts"
# A single allocation of 256 MiB is far beyond what the fuzzing build's size caps allow:
# it is a length field taken at its word.
set -- -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
  -print_final_stats=1 \
  -artifact_prefix="$artifacts/" $dict_option "$@" "$work" "$build/fuzz/seeds/$target"
for dir in "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target"; do
  if [ -d "$dir" ]; then set -- "$@" "$dir"; fi
done
exec "$build/bin/$target" "$@"
