#!/bin/sh
# Sets up the machine, builds, and starts the game:
#   sh scripts/run.sh [ROM.zip] [options]
# With no display at all ($DISPLAY and $WAYLAND_DISPLAY unset) it plays a
# synthetic ROM set headless for five seconds under SDL's dummy drivers
# and says where the screenshot of its last frame is.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
sh scripts/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    demo="$PWD/build/demo"
    rm -rf "$demo"
    mkdir -p "$demo"
    ./build/tests/e2e/make_demo_romset "$demo"
    echo "No display: running a synthetic ROM set headless for five seconds."
    XDG_DATA_HOME="$demo/data" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        ./build/talvex "$demo/talvex.zip" --no-menu --frames 300 --screenshot "$demo/screenshot.png"
    echo "Screenshot of the last frame: $demo/screenshot.png"
    exit 0
fi
exec ./build/talvex "$@"
