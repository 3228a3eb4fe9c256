#!/usr/bin/env bash
# Installs the Debian packages that Vantrel needs and that are missing.
#
#   scripts/install-deps.sh demo   what building vantrel takes: cmake, ninja, g++
#   scripts/install-deps.sh all    what building and testing everything takes
#
# As root it installs them with apt-get; as another user, through sudo when
# sudo is there; otherwise it names what to install and fails.
set -euo pipefail

demo_packages=(cmake ninja-build g++)
all_packages=(
  "${demo_packages[@]}" clang libclang-rt-14-dev googletest libgtest-dev
  # The Windows programs: cross compilers, and Wine on a virtual display for their tests.
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1
  xvfb x11-apps imagemagick
  # The i386 environment of the 32-bit Wine run (scripts/wine32-env.sh): debootstrap's downloads.
  wget
  # The packages: the man page, the Debian package's dependencies, and their checks.
  help2man dpkg-dev unzip man-db lintian
  # The Windows installer: wixl builds it, msitools reads it back.
  wixl msitools
  # Japanese in the screenshots of the Wine tests.
  fonts-wqy-microhei
  # The order of the journal's sync and the movie's first write, in a trace.
  strace
)

case "${1:-}" in
  demo) wanted=("${demo_packages[@]}") ;;
  all) wanted=("${all_packages[@]}") ;;
  *) echo "usage: $0 demo|all" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" = 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
  echo "installing with sudo: ${missing[*]}"
else
  echo "These Debian packages are missing: ${missing[*]}" >&2
  echo "Install them as root, then run this again:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
