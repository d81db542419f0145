#!/usr/bin/env bash
# Installs what the tests need, builds everything from scratch and runs every test:
# the unit and window tests (offscreen, no display needed), the program itself driven by keys
# under a private X server, the same tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# and each fuzz target for a minute over its seeds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends \
    ca-certificates cmake ninja-build g++ libgtest-dev clang libclang-rt-14-dev \
    qt6-base-dev fonts-dejavu-core fonts-liberation xvfb xdotool

rm -rf build build-asan build-fuzz

echo "== build and unit tests"
cmake -S . -B build -G Ninja -DDFM_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure

echo "== the program driven from outside under a real X server"
bash scripts/smoke.sh build

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DDFM_SANITIZE=ON -DDFM_BENCH=OFF
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure

echo "== fuzz targets, one minute each"
bash fuzz/run.sh "${DFM_FUZZ_SECONDS:-60}"

tests=$(ctest --test-dir build -N | sed -n 's/^Total Tests: //p')
asan=$(ctest --test-dir build-asan -N | sed -n 's/^Total Tests: //p')
echo "all: $((tests + asan + 4)) passed, 0 failed"
