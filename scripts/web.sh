#!/bin/bash
# The game in a browser: installs what is missing (Debian's emscripten and chromium, and
# playwright-core from npm into build-web-node/ for the tests), builds zlib, libpng,
# libjpeg-turbo and FreeType for WebAssembly from Debian's source packages into a wasm
# prefix that is kept between runs, and builds the web target into build-web/ with
# emcmake. The result is a folder of static files, build-web/web/ (tolvaran.html, .js,
# .wasm, .data).
#
#   scripts/web.sh             build (and install what is missing)
#   scripts/web.sh --deps      only the toolchain and the wasm prefix
#   scripts/web.sh --serve     build, then serve the page on 127.0.0.1 and print its address
#   scripts/web.sh --test      build, then run the browser tests (tests/web/)
#
# Environment: TOLVARAN_WASM_PREFIX (default build-web-deps/) holds the libraries and the
# downloaded sources; keep it (a CI cache) and only the game is built again.
# TOLVARAN_NATIVE_BUILD names a native build folder whose tools (asset generator, form
# builder, sound renderer) to use; by default build-web-tools/ is built for them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
prefix_root=${TOLVARAN_WASM_PREFIX:-$root/build-web-deps}
prefix=$prefix_root/prefix
node_dir=$root/build-web-node
mode=build
case "${1:-}" in
  "") ;;
  --deps) mode=deps ;;
  --serve) mode=serve ;;
  --test) mode=test ;;
  *) echo "usage: scripts/web.sh [--deps|--serve|--test]" >&2; exit 2 ;;
esac

# The native tools may come from a sanitized build; their leaks are not the page's concern.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
# Debian's own Python runs emcc: quicker to start than a python3 from elsewhere on PATH,
# and emcc starts once per compiled file.
export EMSDK_PYTHON=/usr/bin/python3
# Debian's emscripten finds its JavaScript helpers (acorn) through NODE_PATH only.
export NODE_PATH=/usr/share/nodejs
# The toolchain's own library cache is read-only in the package; a copy of it beside the
# prefix may gain what the game needs (the threaded libc) the first time.
export EM_CACHE=$prefix_root/em-cache
export EM_FROZEN_CACHE=
# Version pins: the prefix is rebuilt when they change. zlib is pinned because the
# security update's source files are not on the mirror.
zlib_version=1:1.2.13.dfsg-1
wanted_sources="zlib=$zlib_version libpng1.6 libjpeg-turbo freetype"
stamp_text="zlib $zlib_version; libpng1.6; libjpeg-turbo; freetype; emscripten $(dpkg-query -W -f='${Version}' emscripten 2>/dev/null || true)"

install_tools() {
  "$root/scripts/install-deps.sh" emscripten chromium python3-fonttools dpkg-dev \
    fonts-wqy-zenhei fonts-arphic-uming timgm6mb-soundfont
  # A node from elsewhere (nodesource) brings its own npm; Debian's would conflict with it.
  command -v npm >/dev/null || "$root/scripts/install-deps.sh" npm
  if [ ! -f "$node_dir/node_modules/playwright-core/package.json" ]; then
    mkdir -p "$node_dir"
    # Only the driver: its browser downloader is never run; the tests start Debian's chromium.
    # The newest driver needs Node 20; Debian's own Node (18) gets the last one for it.
    local version=1.65.2
    [ "$(node -p 'process.versions.node.split(".")[0]')" -ge 20 ] || version=1.49.1
    (cd "$node_dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm install --no-audit --no-fund \
      --loglevel=error "playwright-core@$version")
  fi
}

# apt-get source needs deb-src lines; they mirror the deb lines already configured.
add_source_lists() {
  if apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
    return
  fi
  local list=/etc/apt/sources.list.d/tolvaran-deb-src.sources
  local as_root=""
  [ "$(id -u)" -eq 0 ] || as_root=sudo
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $as_root tee "$list" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $as_root tee /etc/apt/sources.list.d/tolvaran-deb-src.list >/dev/null
  fi
  $as_root apt-get update
}

# Unpacks the Debian source package $1 (name or name=version) into $src/<name> (once).
# Without a pin the versions the lists offer are tried newest first: a security update's
# files are sometimes missing from the mirror while the point release's are there.
fetch_source() {
  local spec=$1 name=${1%%=*}
  [ -d "$src/$name" ] && return
  local dl=$prefix_root/downloads/$name versions v
  if [ "$spec" != "$name" ]; then
    versions=${spec#*=}
  else
    versions=$(apt-cache showsrc "$name" | sed -n 's/^Version: //p' | sort -u -r -V)
  fi
  if ! ls "$dl"/*.dsc >/dev/null 2>&1; then
    for v in $versions; do
      rm -rf "$dl"
      mkdir -p "$dl"
      (cd "$dl" && apt-get source --download-only "$name=$v" >/dev/null 2>&1) && break
    done
  fi
  if ! ls "$dl"/*.dsc >/dev/null 2>&1; then
    echo "web: cannot download the source of $name ($versions)" >&2
    exit 1
  fi
  rm -rf "$src/$name.tmp"
  dpkg-source --no-check -x "$(ls "$dl"/*.dsc | head -n1)" "$src/$name.tmp" >/dev/null
  mv "$src/$name.tmp" "$src/$name"
}

emcmake_lib() {
  local name=$1 dir=$2
  shift 2
  emcmake cmake -S "$dir" -B "$prefix_root/build/$name" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_ROOT_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_C_FLAGS="-O2 -pthread" -DCMAKE_POSITION_INDEPENDENT_CODE=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="/usr/bin/node;--no-experimental-fetch" "$@" >/dev/null
  cmake --build "$prefix_root/build/$name" -j "$jobs" >/dev/null
  cmake --install "$prefix_root/build/$name" >/dev/null
}

build_prefix() {
  if [ -f "$prefix/stamp" ] && [ "$(cat "$prefix/stamp")" = "$stamp_text" ]; then
    return
  fi
  echo "web: building the wasm libraries into $prefix"
  rm -rf "$prefix" "$prefix_root/build"
  if [ ! -d "$EM_CACHE" ]; then
    mkdir -p "$prefix_root"
    cp -r /usr/share/emscripten/cache "$EM_CACHE.tmp"
    mv "$EM_CACHE.tmp" "$EM_CACHE"
  fi
  add_source_lists
  src=$prefix_root/src
  mkdir -p "$src" "$prefix"
  for s in $wanted_sources; do fetch_source "$s"; done
  local t0=$SECONDS
  # zlib's CMake file always adds a shared library, which Emscripten refuses; its own
  # configure script builds the static one alone.
  rm -rf "$prefix_root/build/zlib"
  mkdir -p "$prefix_root/build"
  cp -r "$src/zlib" "$prefix_root/build/zlib"
  (cd "$prefix_root/build/zlib" && CFLAGS="-O2 -pthread" emconfigure ./configure --static \
    --prefix="$prefix" >/dev/null && emmake make -j "$jobs" libz.a >/dev/null &&
    emmake make install >/dev/null)
  emcmake_lib libpng "$src/libpng1.6" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_ROOT="$prefix" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DM_LIBRARY=
  emcmake_lib libjpeg-turbo "$src/libjpeg-turbo" -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
  emcmake_lib freetype "$src/freetype" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_HARFBUZZ=ON \
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_PNG=ON \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
  echo "web: wasm libraries built in $((SECONDS - t0)) s"
  echo "$stamp_text" > "$prefix/stamp"
}

install_tools
build_prefix
[ "$mode" = deps ] && exit 0

# The tools run on this machine; a native build provides them (and, for the tests, the
# native game to compare with).
native=${TOLVARAN_NATIVE_BUILD:-$root/build-web-tools}
if [ -z "${TOLVARAN_NATIVE_BUILD:-}" ]; then
  "$root/scripts/install-deps.sh"
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DTOLVARAN_TESTS=OFF \
    -DTOLVARAN_BENCH=OFF >/dev/null
  cmake --build "$native" -j "$jobs" --target tolvaran tolvaran-formbuild \
    tolvaran-soundrender tolvaran-picture-folders
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
emcmake cmake -S "$root" -B "$root/build-web" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
  -DTOLVARAN_NATIVE_BUILD="$native" "${launcher[@]}" >/dev/null
cmake --build "$root/build-web" -j "$jobs" --target tolvaran
out=$root/build-web/web
echo "web: $out/tolvaran.html (.js .wasm .data)"

case "$mode" in
  serve) exec /usr/bin/python3 "$root/web/serve.py" "$out" ;;
  # Plain node: playwright-core needs the fetch API that --no-experimental-fetch removes.
  test) exec node "$root/tests/web/web_test.mjs" "$out" "$native/bin/tolvaran" ;;
esac
