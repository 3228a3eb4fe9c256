#!/usr/bin/env bash
# Builds everything and runs every test. Run as root on a fresh Debian
# machine, it first installs what the build and the tests need.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" = 0 ]; then
  scripts/install-deps.sh
fi

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

step "the Windows program: the shipped 32-bit and the 64-bit Vantrel.exe, tested end to end under Wine"
cmake --preset win32
cmake --build --preset win32
cmake --preset win64
cmake --build --preset win64
tests/wine/run_wine_tests.sh

step "all tests passed"
