#!/bin/sh
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (decoders and parsers must survive bad input, and every
# other test gains the same checks) into build-test/, and runs every test; then builds the
# game for the browser and tests it in headless Chromium (scripts/web.sh --test); then fuzzes
# every fuzz target briefly from a clang build in build-fuzz/ (scripts/fuzz.sh;
# FUZZ_SECONDS per target, 20 by default); then builds and checks the Debian package
# (scripts/test-package.sh).
# One sanitized build instead of two plain-and-sanitized ones keeps CI well inside its
# hour on a two-core machine; -O1 keeps the sanitized tests quick to build and to run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$root/build-test" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1" -DCMAKE_C_FLAGS_RELEASE="-O1" \
  -DTOLVARAN_SANITIZE=ON -DTOLVARAN_BENCH=OFF
cmake --build "$root/build-test" -j "$jobs"
(cd "$root/build-test" && ctest --output-on-failure --timeout 900 -j "$jobs")

# The browser build (scripts/web.sh: emscripten, the wasm libraries, the page) with the
# tools of the build above, then the page in headless Chromium: a played level, and
# headless runs byte-identical to this build's native ones.
TOLVARAN_NATIVE_BUILD="$root/build-test" JOBS=$jobs "$root/scripts/web.sh" --test

# A second build, by clang with libFuzzer, of the whole program and the fuzz targets,
# and a short fuzz run of every target: clang keeps building the tree, and a decoder or
# parser that learned to crash shows before it lands.
JOBS=$jobs "$root/scripts/fuzz.sh" --smoke "${FUZZ_SECONDS:-20}"

# The Debian package, from a Release build of the game alone (build-package/), through
# lintian, its contents, an install, the installed game headless and the removal.
JOBS=$jobs "$root/scripts/test-package.sh"
echo "All tests passed."
