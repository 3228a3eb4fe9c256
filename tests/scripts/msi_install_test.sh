#!/usr/bin/env bash
# Installs the Windows installer under wine64 as its user would, in a fresh
# Wine prefix, and removes it:
#
#   tests/scripts/msi_install_test.sh MSI ZIP
#
# An older version (built from ZIP by packaging/make_msi.sh) is installed
# first, the user puts a fix.dat beside it, and MSI must replace it: the
# zip's files byte for byte and the user's fix.dat in
# %LOCALAPPDATA%\Programs\Vantrel, the Start menu shortcut, the "Repair with
# Vantrel" verb on .qlm files and no file association, one entry among the
# installed programs with MSI's version. A second install changes nothing;
# msiexec /x leaves nothing of it but the fix.dat that the user put beside
# the programs. A newer version, once installed, refuses MSI. The verb's
# command itself runs the 32-bit program, which wine64 cannot: the 32-bit
# Wine run takes it (the driver's case installed-verb).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ $# = 2 ] || { echo "usage: $0 MSI ZIP" >&2; exit 2; }
msi=$(realpath "$1")
zip=$(realpath "$2")
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d /tmp/vantrel-msi.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all TMPDIR=$work
# No menu entries on the host for the Start menu shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

version=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductVersion" { print $2 }')
product_code=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductCode" { print $2 }')
IFS=. read -r major _ <<<"$version"
older=$work/older.msi newer=$work/newer.msi
"$root/packaging/make_msi.sh" "$zip" 0.0.1 "$older"
"$root/packaging/make_msi.sh" "$zip" "$((major + 1)).0.0" "$newer"
[ "$version" != 0.0.1 ] || { echo "FAILED: MSI's version is that of the older one"; exit 1; }

# One Wine server for the whole run: each program then starts in a moment.
mkdir "$WINEPREFIX"
"$wineserver" -p
"$wine" wineboot -i >"$work/wineboot.log" 2>&1
msiexec() {  # msiexec ARG... : its exit code (Windows' 1603 ends as 67 here)
  "$wine" msiexec "$@" >>"$work/msiexec.log" 2>&1
}
reg_value() {  # reg_value KEY [NAME]: the value's data (the default one without NAME)
  local which=(/ve)
  [ $# = 1 ] || which=(/v "$2")
  "$wine" reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    [^ ].*    REG_[A-Z_]*    //p' | head -1
}
windows_to_unix() { realpath -m "$("$wine" winepath -u "$1" 2>/dev/null | tr -d '\r')"; }
# The installed programs as Wine's own uninstaller lists them: CODE|||NAME.
listed() { "$wine" uninstaller --list 2>/dev/null | tr -d '\r' | grep '|||Vantrel$' || true; }

local_appdata=$("$wine" cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
folder_windows="$local_appdata\\Programs\\Vantrel"
folder=$(windows_to_unix "$folder_windows")
start_menu=$(windows_to_unix "$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs")
verb='HKCU\Software\Classes\SystemFileAssociations\.qlm\shell\VantrelRepair'
find "$work/prefix/drive_c" | sort >"$work/before.txt"

# --- An older version, then this one over it -------------------------------------
msiexec /i "$older" /qn || fail "msiexec /i of version 0.0.1"
[ "$(listed | wc -l)" = 1 ] || fail "version 0.0.1 is not among the installed programs"
# The user's rules, beside the programs: every version keeps them.
user_rules='-ACTR 1 2 3'
echo "$user_rules" >"$folder/fix.dat"
unzip -q "$zip" -d "$work/zip"
expected=("$work"/zip/*/)
echo "$user_rules" >"${expected[0]}/fix.dat"
msiexec /i "$msi" /qn || fail "msiexec /i $msi"
[ "$(listed)" = "$product_code|||Vantrel" ] ||
  fail "the installed programs are not this version alone: $(listed)"
entry=
for key in 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
  'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall' \
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'; do
  [ -n "$(reg_value "$key\\$product_code" DisplayName)" ] && entry="$key\\$product_code" && break
done
if [ -n "$entry" ]; then
  [ "$(reg_value "$entry" DisplayVersion)" = "$version" ] || fail "the entry's version"
  [ "$(reg_value "$entry" InstallLocation)" = "$folder_windows\\" ] || fail "the entry's folder"
else
  fail "no entry $product_code among the installed programs"
fi

diff -r "${expected[0]}" "$folder" >"$work/files.diff" ||
  fail "the installed files are not the zip's and the user's fix.dat: $(cat "$work/files.diff")"
# The shortcut's target, as its link information holds it.
[ -f "$start_menu/Vantrel.lnk" ] &&
  strings -a "$start_menu/Vantrel.lnk" | grep -qxF "$folder_windows\\Vantrel.exe" ||
  fail "no Start menu shortcut Vantrel to $folder_windows\\Vantrel.exe"
[ "$(reg_value "$verb")" = "Repair with Vantrel" ] || fail "the verb's text: $(reg_value "$verb")"
[ "$(reg_value "$verb\\command")" = "\"$folder_windows\\Vantrel.exe\" \"%1\"" ] ||
  fail "the verb's command: $(reg_value "$verb\\command")"
for key in 'HKCU\Software\Classes\.qlm' 'HKLM\Software\Classes\.qlm'; do
  "$wine" reg query "$key" >/dev/null 2>&1 && fail "the installer took over .qlm files ($key)"
done

# --- A second install; removal ---------------------------------------------------------
msiexec /i "$msi" /qn || fail "a second msiexec /i"
[ "$(listed)" = "$product_code|||Vantrel" ] || fail "after a second install: $(listed)"
diff -r "${expected[0]}" "$folder" >/dev/null || fail "a second install changed the files"
msiexec /x "$msi" /qn || fail "msiexec /x"
[ -z "$(listed)" ] || fail "still among the installed programs after msiexec /x: $(listed)"
find "$work/prefix/drive_c" | sort >"$work/after.txt"
# Windows Installer's own folder of installed packages stays, empty.
left=$(comm -13 "$work/before.txt" "$work/after.txt" | grep -vx "$work/prefix/drive_c/windows/Installer")
[ "$left" = "$(printf '%s\n' "$(dirname "$folder")" "$folder" "$folder/fix.dat")" ] ||
  fail "msiexec /x left more than the user's fix.dat: $left"
[ "$(cat "$folder/fix.dat" 2>/dev/null)" = "$user_rules" ] || fail "msiexec /x changed the user's fix.dat"
if "$wine" reg export HKCU "$work/hkcu.reg" >/dev/null 2>&1 &&
  "$wine" reg export HKLM "$work/hklm.reg" >/dev/null 2>&1; then
  iconv -f UTF-16LE -t UTF-8 "$work/hkcu.reg" "$work/hklm.reg" | grep -i vantrel >"$work/left.reg" &&
    fail "msiexec /x left registry entries: $(cat "$work/left.reg")"
else
  fail "the registry could not be exported"
fi

# --- A newer version is not replaced by this one ------------------------------------
msiexec /i "$newer" /qn || fail "msiexec /i of version $((major + 1)).0.0"
msiexec /i "$msi" /qn && fail "msiexec /i installed version $version over a newer one"
[ "$(listed | wc -l)" = 1 ] && [ "$(listed)" != "$product_code|||Vantrel" ] ||
  fail "after the refused downgrade: $(listed)"
[ -f "$folder/Vantrel.exe" ] || fail "the refused downgrade removed the newer version's programs"

[ ! -s "$work/msiexec.log" ] || echo "msiexec's output: $(cat "$work/msiexec.log")"
[ "$failures" = 0 ] && echo "the installer under wine64: all checks passed"
exit $((failures > 0))
