#!/bin/sh
# Sets up the machine, builds, and runs the program. Until the windowed
# frontend exists, "running" means the headless frame benchmark on a
# synthetic ROM set made on the spot.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
sh scripts/build.sh build
exec ./build/bench/frame_bench "$@"
