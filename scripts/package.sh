#!/bin/sh
# Builds the Debian package: installs what is missing, builds the game (Release, with
# Debian's build and hardening flags, laid out as Debian places games) into
# build-package/, packs it with CPack and prints the package's path as the last line of
# standard output; the build's own output goes to standard error.
#
#   scripts/package.sh [cmake configure arguments...]
#
# PACKAGE_BUILD_DIR names another build folder.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PACKAGE_BUILD_DIR:-$root/build-package}
jobs=${JOBS:-$(nproc)}
{
  "$root/scripts/install-deps.sh"
  # dpkg-shlibdeps (dpkg-dev) and file work out the package's library dependencies.
  "$root/scripts/install-deps.sh" dpkg-dev file
} >&2

# What a distribution's own package of the game is built with: optimised, with debugging
# information that CPack strips off, a stack protector, fortified functions, read-only
# relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cflags="$(dpkg-buildflags --get CFLAGS) $cppflags"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# Only the game and the package's own files are built (not the tools, tests or
# benchmarks), so the install step must not ask for the whole tree.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOLVARAN_GAMES_LAYOUT=ON -DTOLVARAN_TESTS=OFF -DTOLVARAN_BENCH=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  "$@" >&2
cmake --build "$build" -j "$jobs" --target tolvaran tolvaran-package-files >&2
rm -f "$build"/tolvaran_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$build"/tolvaran_*.deb
