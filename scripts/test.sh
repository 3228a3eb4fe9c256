#!/usr/bin/env bash
# Builds everything and runs every test. It first installs what the build
# and the tests need and is missing (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh all

step() { printf '\n=== %s\n' "$*"; }

step "native build and tests (g++)"
cmake --preset dev
cmake --build --preset dev
ctest --preset dev

step "the same tests under AddressSanitizer and UndefinedBehaviorSanitizer (clang)"
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

step "fuzzing: the rule loader and the walk, about half a minute each (fuzz/run.sh)"
fuzz/run.sh

step "the Windows programs: the shipped 32-bit and the 64-bit builds, tested end to end under Wine"
cmake --preset win32
cmake --build --preset win32
cmake --preset win64
cmake --build --preset win64
tests/wine/run_wine_tests.sh

step "the packages: the Debian package, the tarball and the Windows zip, in dist/"
cmake --workflow --preset package
tests/scripts/package_test.sh

step "all tests passed"
