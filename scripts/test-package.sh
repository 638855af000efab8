#!/bin/sh
# Builds the Debian package (scripts/package.sh) and checks it as a player gets it:
# lintian finds no error and no warning, the software centres' metadata validates, the
# package holds exactly the files of packaging/contents.txt, the installed game starts
# headless into a level built from its installed pictures (cmake/LevelCheck.cmake), and
# removing the package leaves nothing behind.
#
# Where it is installed: with CI=true (a throwaway test machine) system-wide with
# apt-get, which also resolves the package's dependencies; otherwise into a throwaway
# root with dpkg --root, so that a developer's own system is left alone.
#
#   scripts/test-package.sh [cmake configure arguments for scripts/package.sh...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" lintian appstream
deb=$("$root/scripts/package.sh" "$@" | tail -n 1)
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "test-package: $*" >&2
  exit 1
}
echo "== $deb: $(stat -c %s "$deb") bytes, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
dpkg-deb --field "$deb"

echo "== lintian"
# Every tag is shown, information too; errors and warnings fail.
lintian --fail-on error,warning --display-info "$deb"
echo "lintian: no error, no warning"

echo "== contents"
dpkg-deb --contents "$deb" >"$work/listing"
awk '$2 != "root/root" { print "not owned by root:", $0; bad = 1 } END { exit bad }' "$work/listing" ||
  fail "files not owned by root"
awk '$1 !~ /^d/ { print $6 }' "$work/listing" | sort >"$work/got"
grep -v '^#' "$root/packaging/contents.txt" | sort >"$work/want"
if ! diff -u "$work/want" "$work/got"; then
  fail "the package's files differ from packaging/contents.txt (- expected, + packed)"
fi
echo "$(wc -l <"$work/got") files, as expected"

echo "== install"
if [ "${CI:-}" = true ]; then
  if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi
  dest=""
  query_root=""
  apt="$as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300"
  $apt install -y "$deb"
  remove() { $apt remove -y tolvaran; }
else
  # The dependencies are not installed into the throwaway root; the game uses the
  # system's libraries, fonts and sound font.
  dest="$work/root"
  mkdir -p "$dest/var/lib/dpkg/info" "$dest/var/lib/dpkg/updates"
  : >"$dest/var/lib/dpkg/status"
  query_root="--root=$dest"
  dpkg --root="$dest" --force-depends --force-not-root --install "$deb"
  remove() { dpkg --root="$dest" --force-not-root --remove tolvaran; }
fi
# shellcheck disable=SC2086
dpkg-query $query_root -L tolvaran

echo "== the installed game"
metainfo=$(grep '^\./usr/share/metainfo/' "$root/packaging/contents.txt")
appstreamcli validate --no-net "$dest/${metainfo#./}" | tee "$work/appstream"
if grep -q '^[EW]:' "$work/appstream"; then
  fail "appstreamcli reports errors or warnings"
fi
cmake -DEXE="$dest/usr/games/tolvaran" -DDATA="$dest/usr/share/games/tolvaran" \
  -DWORK="$work/run" -P "$root/cmake/LevelCheck.cmake"

echo "== remove"
remove
# shellcheck disable=SC2086
if dpkg-query $query_root -W -f='${db:Status-Status}' tolvaran 2>/dev/null | grep -qv '^not-installed$'; then
  fail "dpkg still knows tolvaran after its removal"
fi
left=""
while read -r path; do
  case "$path" in "#"*) continue ;; esac
  if [ -e "$dest/${path#./}" ]; then left="$left ${path#./}"; fi
done <"$root/packaging/contents.txt"
for folder in usr/share/games/tolvaran usr/share/doc/tolvaran; do
  if [ -e "$dest/$folder" ]; then left="$left $folder"; fi
done
for f in "$dest"/var/lib/dpkg/info/tolvaran.*; do
  if [ -e "$f" ]; then left="$left $f"; fi
done
if [ -n "$dest" ]; then
  # In the throwaway root, nothing at all may be left outside dpkg's own database.
  left="$left $(cd "$dest" && find . -mindepth 1 -not -path './var' -not -path './var/lib' \
    -not -path './var/lib/dpkg' -not -path './var/lib/dpkg/*' | tr '\n' ' ')"
fi
left=$(echo "$left" | tr -s ' ' | sed 's/^ //; s/ $//')
[ -z "$left" ] || fail "left behind after removal: $left"
echo "removed; nothing left behind"
echo "Package tests passed: $deb"
