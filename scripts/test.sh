#!/bin/sh
# Installs what is missing, builds everything and runs every test twice: a Release
# build in build/, then an AddressSanitizer + UndefinedBehaviorSanitizer build in
# build-asan/ (decoders and parsers must survive bad input there too).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build" -j "$jobs"
(cd "$root/build" && ctest --output-on-failure --timeout 600 -j "$jobs")

cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVARAN_SANITIZE=ON -DTOLVARAN_BENCH=OFF
cmake --build "$root/build-asan" -j "$jobs"
(cd "$root/build-asan" && ctest --output-on-failure --timeout 900 -j "$jobs")
echo "All tests passed."
