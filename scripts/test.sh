#!/usr/bin/env bash
# Builds everything and runs every test. It first installs what the build
# and the tests need and is missing (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh all

# Each step says what it does, and how long the one before it took.
step() {
  [ -z "${step_started:-}" ] || echo "(that took $((SECONDS - step_started)) s)"
  step_started=$SECONDS
  printf '\n=== %s\n' "$*"
}

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

step "the Windows programs: the 64-bit builds end to end under wine64, and the PE files of both"
cmake --preset win32
cmake --build --preset win32
cmake --preset win64
cmake --build --preset win64
tests/wine/run_wine_tests.sh

step "the packages: the Debian package, the tarball, the Windows zip and installer, in dist/ (the installer also under wine64)"
cmake --workflow --preset package
tests/scripts/package_test.sh

step "the shipped 32-bit programs, as the zip holds them and the installer installs them, end to end under wine32 (i386, through QEMU)"
version=$(build/package/cli/vantrel --version | awk '{ print $2 }')
status=0
scripts/wine32-env.sh make || status=$?
if [ "$status" = 3 ] && [ -z "${VANTREL_REQUIRE_WINE32:-}" ]; then
  echo "SKIPPED: the 32-bit programs were not run, as the i386 environment cannot be made here (see above)"
elif [ "$status" != 0 ]; then
  exit "$status"
else
  tests/wine/run_wine_tests.sh --zip "dist/vantrel-$version-win32.zip"
fi

step "all tests passed"
