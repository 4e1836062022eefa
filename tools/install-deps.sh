#!/bin/sh
# Installs the Debian packages of tools/packages.txt that are missing.
set -e
here=$(dirname "$0")
missing=""
for p in $(grep -v '^#' "$here/packages.txt"); do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" != 0 ]; then
  echo "missing packages:$missing (run as root, or install them)" >&2
  exit 1
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
