#!/bin/sh
# Sets up the machine, builds, and runs the whole test suite twice: once
# optimised, once under AddressSanitizer and UBSan.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
sh scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")
sh scripts/build.sh build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVEX_SANITIZE=ON
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j"$(nproc)")
