#!/bin/sh
# Installs every package the build, the tests and the game need (Debian, as root).
set -e
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake pkg-config \
    zlib1g-dev libminizip-dev libsdl2-dev \
    googletest libgtest-dev \
    binutils-sh-elf gcc-sh4-linux-gnu \
    xvfb xauth >/dev/null
