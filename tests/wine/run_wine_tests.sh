#!/usr/bin/env bash
# Runs the end-to-end tests of the Windows programs, Vantrel.exe and
# vantrel-cli.exe, under Wine: checks the programs' PE headers and imports,
# then runs each case of the Windows-side driver in a fresh Wine prefix on a
# private Xvfb display, with screenshots.
#
#   tests/wine/run_wine_tests.sh [CASE...]             the 64-bit builds
#   tests/wine/run_wine_tests.sh --zip ZIP [CASE...]   the 32-bit programs in ZIP
#
# The first runs the win64 build under the host's wine64, and checks the PE
# headers of the win32 build too (cmake --build --preset win32 / win64). The
# second runs the programs as they lie in the zip of the package workflow
# under wine32, in the i386 environment of scripts/wine32-env.sh (made when
# missing), with the driver of the win32 build; it leaves out the cases in
# $left_out_of_32bit. Its case installed-verb first installs the Windows
# installer that lies beside ZIP (vantrel-VERSION-win32.msi) in the case's
# prefix; the first run leaves that case out, as the installer's programs
# are 32-bit. Screenshots and logs land in build/wine-tests (64-bit)
# or build/wine-tests-32bit (or $VANTREL_WINE_OUT). The full-disk case runs
# only as root: it mounts a tmpfs of 1 MiB for its movie.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

# Cases that only repeat, with other data, a case that the 32-bit run keeps:
# a movie that needs no fix, and one of 10,000 chunks, which under QEMU would
# take some ten minutes (each step of the bar is a message between threads,
# through the Wine server).
left_out_of_32bit=" no-fixes many-chunks "
# Chunks that keep a walk going while the Escape case presses its keys: under
# QEMU a chunk takes some 60 ms.
busy_chunks=10000
# Cases that run what the Windows installer installs, in the 32-bit run only.
installer_cases=" installed-verb "
# Cases that need a user whom file permissions bind (root writes read-only files).
unprivileged_cases=" read-only-movie "
test_user=vantrelwine
# Cases that fill a small disk up: a tmpfs of 1 MiB that only root can mount.
full_disk_cases=" full-disk "

zip=
if [ "${1:-}" = --zip ]; then
  [ $# -ge 2 ] || { echo "usage: $0 [--zip ZIP] [CASE...]" >&2; exit 2; }
  zip=$(realpath "$2")
  shift 2
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

exe32=$root/build/win32/app/Vantrel.exe
cli32=$root/build/win32/cli/vantrel-cli.exe
exe64=$root/build/win64/app/Vantrel.exe
cli64=$root/build/win64/cli/vantrel-cli.exe
if [ -z "$zip" ]; then
  # The 64-bit build under the host's wine64; the resource case reads both builds.
  exe=$exe64 cli=$cli64 other_exe=$exe32
  driver=$root/build/win64/tests/wine/vantrel_wine_driver.exe
  out=${VANTREL_WINE_OUT:-$root/build/wine-tests}
  wine_env=()
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  needed=("$exe32" "$exe64" "$cli32" "$cli64" "$driver")
else
  driver=$root/build/win32/tests/wine/vantrel_wine_driver.exe
  msi=${zip%.zip}.msi
  out=${VANTREL_WINE_OUT:-$root/build/wine-tests-32bit}
  needed=("$zip" "$driver")
fi
for file in "${needed[@]}"; do
  [ -f "$file" ] || { echo "missing $file: build the win32 and win64 presets (and the package) first" >&2; exit 2; }
done
if [ -n "$zip" ]; then
  "$root/scripts/wine32-env.sh" make || exit
fi

passed=0
failed=0
skipped=0
failed_names=()
record() {  # record NAME STATUS [SECONDS]
  local took=${3:+ (${3}s)}
  if [ "$2" = 0 ]; then
    passed=$((passed + 1))
    echo "PASS $1$took"
  else
    failed=$((failed + 1))
    failed_names+=("$1")
    echo "FAIL $1$took"
  fi
}

# --- The PE files -------------------------------------------------------------
source "$root/tests/scripts/pe_checks.sh"
if [ -z "$zip" ]; then
  status=0; check_pe "$exe32" PE32 gui || status=1; record pe-shipped-32bit "$status"
  status=0; check_pe "$exe64" PE32+ gui || status=1; record pe-64bit "$status"
  status=0; check_pe "$cli32" PE32 console || status=1; record pe-cli-shipped-32bit "$status"
  status=0; check_pe "$cli64" PE32+ console || status=1; record pe-cli-64bit "$status"
fi

# --- A private display ----------------------------------------------------------
display=
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "no free X display number" >&2; exit 2; }
work=$(mktemp -d /tmp/vantrel-wine.XXXXXX)
chmod 755 "$work"
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  for disk in "$work"/*-disk; do
    mountpoint -q "$disk" 2>/dev/null && umount "$disk"
  done
  rm -rf "$work"
}
trap cleanup EXIT
if [ -n "$zip" ]; then
  # The 32-bit programs as shipped, under wine32 in the i386 environment, which
  # sees of the host only $work (and the X displays).
  unzip -q "$zip" -d "$work/zip"
  exe=$(echo "$work"/zip/*/Vantrel.exe) cli=$(echo "$work"/zip/*/vantrel-cli.exe) other_exe=
  status=0; check_pe "$exe" PE32 gui || status=1; record pe-zip-32bit "$status"
  status=0; check_pe "$cli" PE32 console || status=1; record pe-cli-zip-32bit "$status"
  wine_env=("$root/scripts/wine32-env.sh" run --bind "$work")
  busy_chunks=300
  wine=wine
  wineserver=wineserver
fi
cp "$driver" "$work/vantrel_wine_driver.exe"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -ac >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

rm -rf "$out"
mkdir -p "$out/screenshots" "$out/logs"

# --- One initialised prefix, copied for each case ----------------------------------
template=$work/prefix-template
echo "preparing a Wine prefix"
# Wine keeps its server's sockets in a fresh folder under TMPDIR and notes
# it in the prefix's file "wineserver"; each copy of the prefix gets its own.
export TMPDIR=$work
# A virtual desktop: Wine draws the title bars itself, so screenshots show
# them. No crash dialog: a crash ends the case at once. The server's end
# saves the registry.
"${wine_env[@]}" env WINEPREFIX="$template" sh -c '"$1" wineboot -i &&
  "$1" reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Default /f &&
  "$1" reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Default /d 1024x768 /f &&
  "$1" reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
  "$2" -w' sh "$wine" "$wineserver" >"$out/logs/wineboot.log" 2>&1

if [ "$(id -u)" = 0 ] && ! id "$test_user" >/dev/null 2>&1; then
  useradd --system --no-create-home --shell /usr/sbin/nologin "$test_user"
fi

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Takes the screenshots the driver asks for, until it ends.
serve_screenshots() {  # serve_screenshots PID DIR CASE
  local request name
  while kill -0 "$1" 2>/dev/null; do
    for request in "$2"/shot-*.request; do
      [ -e "$request" ] || continue
      name=$(basename "$request" .request)
      xwd -root -silent -display "$display" | convert xwd:- "$out/screenshots/$3-${name#shot-}.png" || true
      rm -f "$request"
    done
    sleep 0.1
  done
}

run_case() {  # run_case NAME
  local name=$1 dir=$work/$1 as_user=() status=0 pid started=$SECONDS disk= disk_args=()
  if [[ "$full_disk_cases" == *" $name "* ]]; then
    if [ "$(id -u)" != 0 ]; then
      echo "SKIP $name (needs root, to mount a small tmpfs and fill it up)"
      skipped=$((skipped + 1))
      return
    fi
    disk=$work/$name-disk
    mkdir -p "$disk"
    mount -t tmpfs -o size=1m tmpfs "$disk"
    disk_args=(--full-disk "$(windows_path "$disk")")
  fi
  mkdir -p "$dir/bin" "$dir/.tmp"
  cp "$work/vantrel_wine_driver.exe" "$dir/bin/vantrel_wine_driver.exe"
  cp "$exe" "$dir/bin/Vantrel.exe"
  cp "$cli" "$dir/bin/vantrel-cli.exe"
  resources=()
  if [ -n "$other_exe" ]; then
    cp "$other_exe" "$dir/bin/Vantrel-other.exe"
    resources=(--resources "$(windows_path "$dir/bin/Vantrel-other.exe")")
  fi
  cp -a "$template" "$dir/prefix"
  rm -f "$dir/prefix/wineserver"
  if [[ "$name" == unicode-* ]] && [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ]; then
    # Wine's own dialog font has no Japanese; this one has, for the screenshots.
    "${wine_env[@]}" env TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" sh -c '"$1" reg add \
      "HKCU\\Software\\Wine\\Fonts\\Replacements" /v Tahoma /d "WenQuanYi Micro Hei" /f && "$2" -w' \
      sh "$wine" "$wineserver" >/dev/null 2>&1 || true
  fi
  if [[ "$installer_cases" == *" $name "* ]]; then
    # Installed as its user would install it; the driver then finds it where
    # Explorer would, in the registry.
    if [ -f "$msi" ]; then
      cp "$msi" "$dir/vantrel.msi"
      "${wine_env[@]}" env HOME="$dir" TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" sh -c \
        '"$1" msiexec /i "$3" /qn && "$2" -w' sh "$wine" "$wineserver" \
        "$(windows_path "$dir/vantrel.msi")" >"$out/logs/$name-msiexec.log" 2>&1 || status=$?
    else
      status=2
    fi
    if [ "$status" != 0 ]; then
      echo "  FAILED: no installer $msi, or msiexec /i ended with $status ($out/logs/$name-msiexec.log)"
      rm -rf "$dir"
      record "$name" "$status"
      return
    fi
  fi
  if [[ "$unprivileged_cases" == *" $name "* ]] && [ "$(id -u)" = 0 ]; then
    chown -R "$test_user:" "$dir"
    as_user=(setpriv --reuid="$(id -u "$test_user")" --regid="$(id -g "$test_user")" --clear-groups --)
  fi
  (
    cd "$dir"
    exec "${wine_env[@]}" "${as_user[@]}" env HOME="$dir" TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" \
      timeout 300 "$wine" bin/vantrel_wine_driver.exe run "$name" --screenshots \
      --exe "$(windows_path "$dir/bin/Vantrel.exe")" \
      --cli "$(windows_path "$dir/bin/vantrel-cli.exe")" \
      "${resources[@]}" --resources "$(windows_path "$dir/bin/Vantrel.exe")" "${disk_args[@]}" \
      --busy-chunks "$busy_chunks"
  ) >"$out/logs/$name.log" 2>&1 &
  pid=$!
  serve_screenshots "$pid" "$dir" "$name"
  wait "$pid" || status=$?
  # In the i386 environment every Wine process has ended with the run.
  if [ ${#wine_env[@]} = 0 ]; then
    "${as_user[@]}" env TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" "$wineserver" -k 2>/dev/null || true
    "${as_user[@]}" env TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" "$wineserver" -w 2>/dev/null || true
  fi
  grep -v '^\(PASS\|FAIL\) ' "$out/logs/$name.log" || true
  grep -q "^PASS $name" "$out/logs/$name.log" || [ "$status" != 0 ] || status=1
  rm -rf "$dir"
  if [ -n "$disk" ]; then
    umount "$disk"
    rmdir "$disk"
  fi
  record "$name" "$status" $((SECONDS - started))
}

if [ $# -gt 0 ]; then
  cases=("$@")
else
  mapfile -t cases < <("${wine_env[@]}" env WINEPREFIX="$template" \
    sh -c '"$1" "$3" list && "$2" -w' sh "$wine" "$wineserver" "$work/vantrel_wine_driver.exe" | tr -d '\r')
  [ ${#cases[@]} -gt 0 ] || { echo "the driver lists no cases" >&2; exit 1; }
fi
for name in "${cases[@]}"; do
  if [ -n "$zip" ] && [ $# = 0 ] && [[ "$left_out_of_32bit" == *" $name "* ]]; then
    echo "SKIP $name (left out of the 32-bit run)"
    skipped=$((skipped + 1))
  elif [ -z "$zip" ] && [[ "$installer_cases" == *" $name "* ]]; then
    echo "SKIP $name (the installer's programs are 32-bit: the --zip run takes it)"
    skipped=$((skipped + 1))
  else
    run_case "$name"
  fi
done

echo
echo "screenshots: $out/screenshots"
echo "wine: $passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ] || { echo "failed: ${failed_names[*]}"; exit 1; }
