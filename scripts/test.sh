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

step "all tests passed"
