#!/bin/sh
# Installs the Debian packages of scripts/packages.txt that are not installed yet, or,
# given package names, those of them that are not.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -gt 0 ]; then
  wanted="$*"
else
  wanted=$(grep -v '^[[:space:]]*#' "$here/packages.txt" | tr -s '[:space:]' ' ')
fi
missing=""
for pkg in $wanted; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing="$missing $pkg"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
  as_root=""
elif command -v sudo >/dev/null 2>&1; then
  as_root="sudo"
else
  echo "install-deps: need root or sudo to install:$missing" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$as_root apt-get update
# shellcheck disable=SC2086
$as_root apt-get install -y --no-install-recommends $missing
