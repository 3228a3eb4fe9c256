#!/usr/bin/env bash
# Runs the end-to-end tests of the Windows programs, Vantrel.exe and
# vantrel-cli.exe, under Wine: checks the built programs' PE headers and
# imports, then runs each case of the Windows-side driver in a fresh Wine
# prefix on a private Xvfb display, with screenshots.
#
#   tests/wine/run_wine_tests.sh [CASE...]
#
# Needs the win32 and win64 builds (cmake --build --preset win32 / win64).
# Screenshots and logs land in build/wine-tests (or $VANTREL_WINE_OUT). The
# full-disk case runs only as root: it mounts a tmpfs of 1 MiB for its movie.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

exe32=${VANTREL_WINE_EXE32:-$root/build/win32/app/Vantrel.exe}
exe64=${VANTREL_WINE_EXE64:-$root/build/win64/app/Vantrel.exe}
cli32=${VANTREL_WINE_CLI32:-$root/build/win32/cli/vantrel-cli.exe}
cli64=${VANTREL_WINE_CLI64:-$root/build/win64/cli/vantrel-cli.exe}
driver=${VANTREL_WINE_DRIVER:-$root/build/win64/tests/wine/vantrel_wine_driver.exe}
out=${VANTREL_WINE_OUT:-$root/build/wine-tests}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
# Cases that need a user whom file permissions bind (root writes read-only files).
unprivileged_cases=" read-only-movie "
test_user=vantrelwine
# Cases that fill a small disk up: a tmpfs of 1 MiB that only root can mount.
full_disk_cases=" full-disk "

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

for file in "$exe32" "$exe64" "$cli32" "$cli64" "$driver"; do
  [ -f "$file" ] || { echo "missing $file: build the win32 and win64 presets first" >&2; exit 2; }
done

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

# --- The PE files as shipped -------------------------------------------------
source "$root/tests/scripts/pe_checks.sh"
status=0; check_pe "$exe32" PE32 gui || status=1; record pe-shipped-32bit "$status"
status=0; check_pe "$exe64" PE32+ gui || status=1; record pe-64bit "$status"
status=0; check_pe "$cli32" PE32 console || status=1; record pe-cli-shipped-32bit "$status"
status=0; check_pe "$cli64" PE32+ console || status=1; record pe-cli-64bit "$status"

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
WINEPREFIX=$template "$wine" wineboot -i >"$out/logs/wineboot.log" 2>&1
# A virtual desktop: Wine draws the title bars itself, so screenshots show them.
WINEPREFIX=$template "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
WINEPREFIX=$template "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
  >/dev/null 2>&1
WINEPREFIX=$template "$wineserver" -w

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
  cp "$driver" "$dir/bin/vantrel_wine_driver.exe"
  cp "$exe64" "$dir/bin/Vantrel.exe"
  cp "$exe32" "$dir/bin/Vantrel32.exe"
  cp "$cli64" "$dir/bin/vantrel-cli.exe"
  cp -a "$template" "$dir/prefix"
  rm -f "$dir/prefix/wineserver"
  if [[ "$name" == unicode-* ]] && [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ]; then
    # Wine's own dialog font has no Japanese; this one has, for the screenshots.
    env TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
      /v Tahoma /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
  fi
  if [[ "$unprivileged_cases" == *" $name "* ]] && [ "$(id -u)" = 0 ]; then
    chown -R "$test_user:" "$dir"
    as_user=(runuser -u "$test_user" --)
  fi
  (
    cd "$dir"
    exec "${as_user[@]}" env HOME="$dir" TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" timeout 300 "$wine" \
      bin/vantrel_wine_driver.exe run "$name" --screenshots \
      --exe "$(windows_path "$dir/bin/Vantrel.exe")" \
      --cli "$(windows_path "$dir/bin/vantrel-cli.exe")" \
      --resources "$(windows_path "$dir/bin/Vantrel32.exe")" \
      --resources "$(windows_path "$dir/bin/Vantrel.exe")" "${disk_args[@]}"
  ) >"$out/logs/$name.log" 2>&1 &
  pid=$!
  serve_screenshots "$pid" "$dir" "$name"
  wait "$pid" || status=$?
  "${as_user[@]}" env TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" "$wineserver" -k 2>/dev/null || true
  "${as_user[@]}" env TMPDIR="$dir/.tmp" WINEPREFIX="$dir/prefix" "$wineserver" -w 2>/dev/null || true
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
  mapfile -t cases < <(WINEPREFIX=$template "$wine" "$driver" list | tr -d '\r')
  WINEPREFIX=$template "$wineserver" -w
fi
for name in "${cases[@]}"; do run_case "$name"; done

echo
echo "screenshots: $out/screenshots"
echo "wine: $passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ] || { echo "failed: ${failed_names[*]}"; exit 1; }
