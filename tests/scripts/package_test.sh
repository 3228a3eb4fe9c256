#!/usr/bin/env bash
# Checks the packages that `cmake --workflow --preset package` wrote into
# dist/: what each holds, the Windows programs' PE headers, README.txt's
# line ends, the Windows installer's tables and, under wine64, its
# installation and removal (msi_install_test.sh), the man page against
# --help, and, as root where vantrel is not installed yet, that the Debian
# package installs and removes cleanly.
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
msi=$root/dist/vantrel-$version-win32.msi
deb=$root/dist/vantrel_${version}_amd64.deb
tgz=$root/dist/vantrel-$version-linux-x86_64.tar.gz
for package in "$zip" "$msi" "$deb" "$tgz"; do
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
for topic in "fix.dat" "Vantrel.exe" "vantrel-cli" "Exit codes" "$version" "Repair with Vantrel"; do
  grep -qF "$topic" "$readme" || fail "README.txt does not tell of $topic"
done
cmp -s "$work/zip/$top/examples/demo.qlm" "$root/demo/demo.qlm" || fail "the zip's demo movie"

# --- The Windows installer ------------------------------------------------------
# The zip's files, byte for byte, under the folder it installs into.
msiextract -C "$work/msi" "$msi" >/dev/null
diff -r "$work/zip/$top" "$work/msi/Programs/Vantrel" >"$work/msi.diff" ||
  fail "the installer's files are not the zip's: $(cat "$work/msi.diff")"
msi_rows() { msiinfo export "$msi" "$1" | tail -n +4 | tr -d '\r' | sort; }
msi_property() { msi_rows Property | awk -F '\t' -v name="$1" '$1 == name { print $2 }'; }
[ "$(msi_property ALLUSERS)/$(msi_property MSIINSTALLPERUSER)" = 2/1 ] ||
  fail "the installer does not install for one user by default"
[ "$(msi_property ProductVersion)" = "$version" ] || fail "the installer's version"
upgrade_code=$(grep -o 'UpgradeCode="{[^}]*}"' "$root/packaging/vantrel.wxs" | cut -d '"' -f 2)
[ "$(msi_property UpgradeCode)" = "$upgrade_code" ] || fail "the installer's UpgradeCode"
# The summary: 32-bit, compressed, and no administrator needed (8).
msiinfo suminfo "$msi" | grep -qx 'Template: Intel;1033' || fail "the installer is not 32-bit"
[ "$(msiinfo suminfo "$msi" | sed -n 's/^Source: \([0-9]*\) .*/\1/p')" = 10 ] ||
  fail "the installer's summary does not say that it needs no administrator"
# Every older or equal version is replaced (up to, not including, the next
# third number: 256 = the lower end included); a newer one is only found
# (258: and OnlyDetect), which stops the installation.
IFS=. read -r major minor patch <<<"$version"
next="$major.$minor.$((patch + 1))"
same_list "the installer's Upgrade table" "$upgrade_code	0.0.0	$next		256		OLDERVERSIONFOUND
$upgrade_code	$next			258		NEWERVERSIONFOUND" "$(msi_rows Upgrade)"
msi_rows LaunchCondition | grep -q $'^Installed OR NOT NEWERVERSIONFOUND\tA newer version of Vantrel is already installed' ||
  fail "the installer does not refuse a downgrade"
msi_rows InstallExecuteSequence | grep -q $'^RemoveExistingProducts\t' ||
  fail "the installer does not remove the version it replaces"
"$root/tests/scripts/msi_install_test.sh" "$msi" "$zip" || fail "the installer under wine64"

# --- The Debian package and the tarball -----------------------------------------
[ "$(dpkg-deb -f "$deb" Package)" = vantrel ] || fail "the package's name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version"
linux_files="bin/vantrel
share/man/man1/vantrel.1.gz
share/doc/vantrel/README.md
share/doc/vantrel/copyright
share/doc/vantrel/changelog.gz
share/bash-completion/completions/vantrel
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

# The man page as man shows it: its sections, and each option followed by its
# explanation, not by an empty line.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/vantrel.1.gz >"$work/vantrel.1.gz"
MANWIDTH=80 man -l "$work/vantrel.1.gz" >"$work/vantrel.txt" 2>/dev/null
for section in NAME SYNOPSIS DESCRIPTION FILES ENVIRONMENT "EXIT STATUS" EXAMPLES "SEE ALSO"; do
  grep -qx "$section" "$work/vantrel.txt" || fail "the man page has no $section section"
done
for option in $("$vantrel" --help | grep -oE -- '^  (-[a-zA-Z], )?--[a-z][a-z-]*' | grep -oE -- '--[a-z-]+'); do
  line=$(grep -nE -- "^ {7}(-[a-zA-Z], )?$option( [A-Z]+|\[=[A-Z]+\])?\$" "$work/vantrel.txt" |
    head -1 | cut -d: -f1) || true
  [ -z "$line" ] && continue  # set on one line with its explanation
  [ -n "$(sed -n "$((line + 1))p" "$work/vantrel.txt")" ] ||
    fail "the man page has an empty line after $option"
done

# Debian's own checks: no error and no warning.
if lintian --version >/dev/null 2>&1; then
  lintian --pedantic --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$work/lintian.log")"
else
  fail "lintian is missing (scripts/install-deps.sh all installs it)"
fi
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/vantrel/copyright | head -1 |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"

# The bash completion as packaged.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/bash-completion/completions/vantrel \
  >"$work/completion"
"$root/tests/scripts/completion_test.sh" "$work/completion" "$vantrel" || fail "the bash completion"

# --- Installed and removed ------------------------------------------------------
if [ "$(id -u)" != 0 ]; then
  echo "skipped: installing the Debian package needs root"
elif dpkg-query -W vantrel >/dev/null 2>&1; then
  echo "skipped: vantrel is installed already, and stays as it is"
else
  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
  [ "$(vantrel --version)" = "vantrel $version" ] || fail "vantrel --version after install"
  [ "$(man -w vantrel)" = /usr/share/man/man1/vantrel.1.gz ] || fail "man -w vantrel after install"
  # Installed, it finds the user's rules and says where it looked for them.
  mkdir -p "$work/home/.config/vantrel"
  cp "$root/demo/fix.dat" "$work/home/.config/vantrel/fix.dat"
  [ "$(env -u XDG_CONFIG_HOME -u VANTREL_RULES HOME="$work/home" vantrel --show-rules-path)" = \
    "$work/home/.config/vantrel/fix.dat" ] || fail "vantrel --show-rules-path after install"
  if [ ! -e /etc/vantrel/fix.dat ]; then
    rm "$work/home/.config/vantrel/fix.dat"
    env -u XDG_CONFIG_HOME -u XDG_CONFIG_DIRS -u VANTREL_RULES HOME="$work/home" \
      vantrel "$work/none.qlm" 2>"$work/search.txt" && fail "vantrel ran without rules"
    printf '%s\n' "vantrel: Cannot open fix data file" \
      "  /usr/bin/fix.dat: No such file or directory" \
      "  $work/home/.config/vantrel/fix.dat: No such file or directory" \
      "  /etc/xdg/vantrel/fix.dat: No such file or directory" \
      "  /etc/vantrel/fix.dat: No such file or directory" | cmp -s - "$work/search.txt" ||
      fail "where vantrel looked for its rules: $(cat "$work/search.txt")"
  fi
  dpkg -r vantrel >"$work/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$work/dpkg.log")"
  [ ! -e /usr/bin/vantrel ] && [ ! -e /usr/share/doc/vantrel ] || fail "files are left after dpkg -r"
fi

[ "$failures" = 0 ] && echo "packages: all checks passed"
exit $((failures > 0))
