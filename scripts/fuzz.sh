#!/bin/sh
# scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# scripts/fuzz.sh --smoke SECONDS     every target for SECONDS, JOBS at a time (the CI step)
# scripts/fuzz.sh --list
#
# Fuzzes one target (fuzz_pictures_gif, fuzz_sound_midi, fuzz_sdl_events ...;
# `scripts/fuzz.sh --list` names them: every tolvaran_fuzz_target of fuzz/*/) with
# libFuzzer for SECONDS, under AddressSanitizer and
# UndefinedBehaviorSanitizer. Installs clang and its runtime libraries when missing and
# builds the fuzz targets with every library coverage-instrumented into build-fuzz/
# (FUZZ_BUILD_DIR to choose another folder).
#
# The fuzzer starts from the seeds the build writes, the hand-made edge files of
# fuzz/corpus/TARGET and the regression inputs of fuzz/regressions/TARGET, and keeps what
# it finds in <build>/fuzz/work/TARGET for the next run. A crash, leak or slow input is
# written to <build>/fuzz/artifacts/TARGET/ and ends the run with a non-zero status: a
# small file that shows a fixed bug belongs in fuzz/regressions/TARGET/, where CTest
# replays it. Extra options go to libFuzzer (e.g. -runs=1000000).
#
# --smoke builds the whole program with clang as well (so that clang keeps building the
# tree), then gives each target a short run and fails when any of them finds something.
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

# Installs clang when missing, configures the fuzzing build once and builds $@.
build_targets() {
  # clang, and the fuzzer and sanitizer runtimes that Debian packs apart from it.
  if ! command -v clang++ >/dev/null 2>&1 ||
     [ ! -f "$(clang++ -print-runtime-dir 2>/dev/null)/libclang_rt.fuzzer-x86_64.a" ]; then
    "$root/scripts/install-deps.sh" clang libclang-rt-14-dev
  fi
  "$root/scripts/install-deps.sh"

  mkdir -p "$build"
  log="$build/fuzz-build.log"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    launcher=""
    if command -v ccache >/dev/null 2>&1; then
      launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    fi
    # shellcheck disable=SC2086
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1" \
      -DCMAKE_C_FLAGS_RELEASE="-O1" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DTOLVARAN_SANITIZE=ON -DTOLVARAN_LIBFUZZER=ON -DTOLVARAN_BENCH=OFF $launcher >"$log" 2>&1 ||
      { cat "$log" >&2; exit 1; }
  fi
  cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "$@" tolvaran-fuzz-corpus >"$log" 2>&1 ||
    { cat "$log" >&2; exit 1; }
}

if [ "${1:-}" = "--list" ]; then
  targets | sort
  exit 0
fi
if [ "${1:-}" = "--smoke" ] && [ $# -eq 2 ]; then
  build_targets tolvaran-fuzz tolvaran
  logs="$build/fuzz/smoke"
  rm -rf "$logs"
  mkdir -p "$logs"
  echo "Fuzzing every target for $2 s, ${JOBS:-$(nproc)} at a time (logs in $logs)"
  # Each run appends its verdict to one file; the targets are already built.
  targets | sort | FUZZ_BUILT=1 xargs -P "${JOBS:-$(nproc)}" -I{} sh -c \
    'if "$0" {} "$1" >"$2/{}.log" 2>&1; then v=ok; else v=FAILED; fi
     echo "{} $v $(grep -E "^#[0-9]+.*DONE" "$2/{}.log" | sed "s/ *lim:.*//")" >>"$2/verdicts"' \
    "$0" "$2" "$logs"
  sort "$logs/verdicts"
  if grep -q " FAILED" "$logs/verdicts"; then
    grep " FAILED" "$logs/verdicts" | while read -r t _; do
      echo "--- $t" >&2
      grep -E "ERROR|SUMMARY|Test unit written|runtime error" "$logs/$t.log" >&2 || tail -20 "$logs/$t.log" >&2
    done
    exit 1
  fi
  exit 0
fi
if [ $# -lt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...] | --smoke SECONDS | --list" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
if ! targets | grep -qx "$target"; then
  echo "fuzz.sh: no fuzz target '$target' (see scripts/fuzz.sh --list)" >&2
  exit 2
fi
if [ -z "${FUZZ_BUILT:-}" ]; then
  build_targets "$target"
fi

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
    file="$build/fuzz/$target.dict"
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
