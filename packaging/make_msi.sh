#!/usr/bin/env bash
# Builds the Windows installer from the Windows zip, with wixl (Debian's
# package wixl, of msitools), so that it holds the zip's own files:
#
#   packaging/make_msi.sh ZIP VERSION MSI
#
# VERSION is the product's version, three numbers (the package workflow
# gives the programs' own; the tests build older and newer ones).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

[ $# = 3 ] || { echo "usage: $0 ZIP VERSION MSI" >&2; exit 2; }
zip=$(realpath "$1")
version=$2
msi=$(realpath -m "$3")
# Windows Installer's limits on the three numbers it compares.
if [[ ! "$version" =~ ^([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,5})$ ]] ||
  [ "${BASH_REMATCH[1]}" -gt 255 ] || [ "${BASH_REMATCH[2]}" -gt 255 ] ||
  [ "${BASH_REMATCH[3]}" -ge 65535 ]; then
  echo "$0: a Windows Installer version is three numbers up to 255.255.65534, not $version" >&2
  exit 2
fi
next_version=${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.$((10#${BASH_REMATCH[3]} + 1))
command -v wixl >/dev/null || { echo "$0: wixl is missing: apt-get install wixl" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work/zip"
tops=("$work"/zip/*/)
[ ${#tops[@]} = 1 ] || { echo "$0: $zip does not hold exactly one folder" >&2; exit 1; }
cp "$here/../app/vantrel.ico" "$work/vantrel.ico"

# wixl finds the files relative to the folder it runs in. Its warnings are
# errors here: each one means something of the source was left out.
(
  cd "$work"
  wixl --arch x86 -D Version="$version" -D NextVersion="$next_version" \
    -D Files="zip/$(basename "${tops[0]}")" -D Icon=vantrel.ico \
    -o "$msi" "$here/vantrel.wxs"
) 2>"$work/wixl.log" || { cat "$work/wixl.log" >&2; exit 1; }
if [ -s "$work/wixl.log" ]; then
  cat "$work/wixl.log" >&2
  rm -f "$msi"
  exit 1
fi
