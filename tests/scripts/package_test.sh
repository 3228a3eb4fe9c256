#!/usr/bin/env bash
# Checks the packages that `cmake --workflow --preset package` wrote into
# dist/: what each holds, the Windows programs' PE headers, README.txt's
# line ends, the man page against --help, and, as root where vantrel is not
# installed yet, that the Debian package installs and removes cleanly.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/pe_checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

vantrel=$root/build/package/cli/vantrel
version=$("$vantrel" --version | awk '{ print $2 }')
zip=$root/dist/vantrel-$version-win32.zip
deb=$root/dist/vantrel_${version}_amd64.deb
tgz=$root/dist/vantrel-$version-linux-x86_64.tar.gz
for package in "$zip" "$deb" "$tgz"; do
  [ -f "$package" ] || { echo "FAILED: no $package"; exit 1; }
done

# same_list CASE EXPECTED ACTUAL
same_list() {
  [ "$(sort <<<"$2")" = "$(sort <<<"$3")" ] || fail "$1: expected
$(sort <<<"$2")
got
$(sort <<<"$3")"
}

# --- The zip for Windows ------------------------------------------------------
top=vantrel-$version-win32
same_list "the zip's files" "$top/Vantrel.exe
$top/vantrel-cli.exe
$top/README.txt
$top/examples/demo.qlm
$top/examples/fix.dat
$top/docs/rule-file.md
$top/docs/json-lines.md" "$(unzip -Z1 "$zip" | grep -v '/$')"
unzip -q "$zip" -d "$work/zip"
check_pe "$work/zip/$top/Vantrel.exe" PE32 gui || fail "Vantrel.exe in the zip"
check_pe "$work/zip/$top/vantrel-cli.exe" PE32 console || fail "vantrel-cli.exe in the zip"
readme=$work/zip/$top/README.txt
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has a line end without CR"
for topic in "fix.dat" "Vantrel.exe" "vantrel-cli" "Exit codes" "$version"; do
  grep -qF "$topic" "$readme" || fail "README.txt does not tell of $topic"
done
cmp -s "$work/zip/$top/examples/demo.qlm" "$root/demo/demo.qlm" || fail "the zip's demo movie"

# --- The Debian package and the tarball -----------------------------------------
[ "$(dpkg-deb -f "$deb" Package)" = vantrel ] || fail "the package's name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version"
linux_files="bin/vantrel
share/man/man1/vantrel.1.gz
share/doc/vantrel/README.md
share/doc/vantrel/rule-file.md
share/doc/vantrel/json-lines.md
share/doc/vantrel/examples/demo.qlm
share/doc/vantrel/examples/fix.dat"
same_list "the Debian package's files" "$(sed 's|^|./usr/|' <<<"$linux_files")" \
  "$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$')"
same_list "the tarball's files" "$(sed "s|^|vantrel-$version-linux-x86_64/|" <<<"$linux_files")" \
  "$(tar -tzf "$tgz" | grep -v '/$')"
tar -xzf "$tgz" -C "$work"
[ "$("$work/vantrel-$version-linux-x86_64/bin/vantrel" --version)" = "vantrel $version" ] ||
  fail "the tarball's vantrel --version"

# Every option that --help names is in the man page.
man_text=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/vantrel.1.gz | gzip -d)
for option in $("$vantrel" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "${option//-/\\-}" <<<"$man_text" || fail "the man page does not name $option"
done

# --- Installed and removed ------------------------------------------------------
if [ "$(id -u)" != 0 ]; then
  echo "skipped: installing the Debian package needs root"
elif dpkg-query -W vantrel >/dev/null 2>&1; then
  echo "skipped: vantrel is installed already, and stays as it is"
else
  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
  [ "$(vantrel --version)" = "vantrel $version" ] || fail "vantrel --version after install"
  [ "$(man -w vantrel)" = /usr/share/man/man1/vantrel.1.gz ] || fail "man -w vantrel after install"
  dpkg -r vantrel >"$work/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$work/dpkg.log")"
  [ ! -e /usr/bin/vantrel ] && [ ! -e /usr/share/doc/vantrel ] || fail "files are left after dpkg -r"
fi

[ "$failures" = 0 ] && echo "packages: all checks passed"
exit $((failures > 0))
