#!/usr/bin/env bash
# Installs what the tests need, builds everything from scratch and runs every test:
# the unit and window tests (offscreen, no display needed), the tests that need a refused access
# again as a user who can be refused, the program itself driven by keys under a private X server,
# the install and the Debian package (scripts/install-test.sh), the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a minute over its
# seeds. The builds are the presets of CMakePresets.json.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends \
    ca-certificates cmake ninja-build g++ libgtest-dev clang libclang-rt-14-dev \
    qt6-base-dev libuchardet-dev pkg-config fonts-dejavu-core fonts-liberation xvfb xdotool strace \
    desktop-file-utils shared-mime-info libglib2.0-bin groff-base man-db dpkg-dev file x11-utils \
    bash-completion zsh fish lintian devscripts appstream

rm -rf build build-asan build-fuzz

# The number of tests the permission script reports as passed, from the log it wrote.
permissionsPassed() {
    sed -n 's/^permission tests as .*: \([0-9]*\) passed, 0 failed$/\1/p' "$1"
}

echo "== build and unit tests"
cmake --preset dev
cmake --build --preset dev
ctest --preset dev

echo "== the tests that need a refused access, as a user who can be refused"
bash scripts/permissions.sh build | tee build/permissions.log

echo "== the program driven from outside under a real X server"
bash scripts/smoke.sh build

echo "== install, desktop entry, file types, manual pages and the Debian package"
bash scripts/install-test.sh build

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    bash scripts/permissions.sh build-asan | tee build-asan/permissions.log

echo "== fuzz targets, one minute each"
bash fuzz/run.sh "${DFM_FUZZ_SECONDS:-60}"

tests=$(ctest --test-dir build -N | sed -n 's/^Total Tests: //p')
asan=$(ctest --test-dir build-asan -N | sed -n 's/^Total Tests: //p')
unprivileged=$(( $(permissionsPassed build/permissions.log) + $(permissionsPassed build-asan/permissions.log) ))
echo "all: $((tests + asan + unprivileged + 5)) passed, 0 failed"
