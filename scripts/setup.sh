#!/bin/sh
# Installs every package the build, the tests and the game need (Debian, as
# root). The package lists are refreshed only when something is missing.
set -e
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
packages="build-essential cmake pkg-config zlib1g-dev libminizip-dev libsdl2-dev
    googletest libgtest-dev binutils-sh-elf gcc-sh4-linux-gnu
    xvfb x11-utils xdotool openbox"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
