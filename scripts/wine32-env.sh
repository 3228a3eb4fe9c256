#!/usr/bin/env bash
# The i386 environment in which the tests run the 32-bit Windows programs:
# a Debian 12 chroot with Debian's own wine32, whose i386 code runs under
# the static qemu-i386 of QEMU 10 (this machine cannot run 32-bit code, and
# Debian 12's own QEMU is far too slow for Wine).
#
#   scripts/wine32-env.sh make                     make it, once per machine
#   scripts/wine32-env.sh run [--bind DIR]... CMD  run CMD (wine, wineserver) in it
#
# make takes about 5 minutes and 1.5 GB, in /var/cache/vantrel-wine32 (or
# $VANTREL_WINE32_DIR); a second make finds it made. It installs nothing on
# the host: debootstrap and QEMU are unpacked into that folder, and qemu-i386
# is registered in a private binfmt_misc of a user namespace (Linux 6.7 or
# later), whose processes all end with it. It needs root and the Debian
# archive ($VANTREL_DEBIAN_MIRROR); when it cannot be made, make says why
# and exits with 3.
#
# run binds each DIR into the chroot at its own path, gives it a private
# /tmp (each run has its own wineserver) and the X displays of /tmp/.X11-unix,
# and runs CMD in the current folder. Every process that CMD leaves, a Wine
# server too, ends with it: to keep what a Wine server holds (the registry),
# let CMD end with `wineserver -w`.
set -euo pipefail

dir=${VANTREL_WINE32_DIR:-/var/cache/vantrel-wine32}
mirror=${VANTREL_DEBIAN_MIRROR:-http://deb.debian.org/debian}
chroot_dir=$dir/root
tools=$dir/tools
qemu=$tools/usr/bin/qemu-i386
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
# Bump when what make builds changes, so that an older environment is made anew.
made_mark="vantrel-wine32 1"
# wine32 draws windows and text with these.
chroot_packages=(wine wine32 libx11-6 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1
  libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1 libfreetype6 libfontconfig1 fonts-wine)
# The standard binfmt_misc entry of qemu-i386: i386 ELF executables and shared objects.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

cannot() {
  echo "$0: the 32-bit Wine environment cannot be made: $*" >&2
  exit 3
}

is_made() { [ "$(cat "$dir/made" 2>/dev/null)" = "$made_mark" ]; }

# Runs "$@" as root of new user, mount and pid namespaces, root mapped to
# root: unshare alone would need newuidmap for a map of more than one id.
in_namespace() {
  local sync
  sync=$(mktemp -u /tmp/vantrel-wine32-sync.XXXXXX)
  mkfifo -m 600 "$sync"
  (
    until [ "$(readlink "/proc/$$/ns/user")" != "$(readlink /proc/self/ns/user)" ]; do
      kill -0 $$ 2>/dev/null || exit 1
      sleep 0.01
    done
    echo '0 0 65536' >"/proc/$$/uid_map"
    echo '0 0 65536' >"/proc/$$/gid_map"
    echo >"$sync"
    rm -f "$sync"
  ) &
  exec unshare --user --mount --pid --fork --kill-child -- \
    sh -c 'read -r _ <"$0" && exec "$@"' "$sync" "$@"
}

# In the namespace: qemu-i386 registered, the chroot's mounts made, then chroot.
inside() {  # inside BIND... -- CMD...
  local binds=()
  while [ "$1" != -- ]; do binds+=("$1"); shift; done
  shift
  mount -t proc proc "$chroot_dir/proc"
  mount -t binfmt_misc binfmt_misc "$chroot_dir/proc/sys/fs/binfmt_misc"
  printf ':qemu-i386:M::%s:%s:%s:FPC' "$i386_magic" "$i386_mask" "$qemu" \
    >"$chroot_dir/proc/sys/fs/binfmt_misc/register"
  mount --rbind /dev "$chroot_dir/dev"
  mount --rbind /sys "$chroot_dir/sys"
  mount -t tmpfs -o mode=1777 tmpfs "$chroot_dir/tmp"
  if [ -d /tmp/.X11-unix ]; then
    mkdir -p "$chroot_dir/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$chroot_dir/tmp/.X11-unix"
  fi
  for bind in "${binds[@]}"; do
    mkdir -p "$chroot_dir$bind"
    mount --rbind "$bind" "$chroot_dir$bind"
  done
  exec chroot "$chroot_dir" sh -c 'cd "$0" 2>/dev/null || cd /; "$@"' "$PWD" "$@"
}

run() {
  local binds=()
  while [ $# -gt 0 ]; do
    case "$1" in
      --bind) binds+=("$(cd "$2" && pwd)"); shift 2 ;;
      --) shift; break ;;
      *) break ;;
    esac
  done
  [ $# -gt 0 ] || { echo "usage: $0 run [--bind DIR]... COMMAND..." >&2; exit 2; }
  is_made || { echo "$0: the 32-bit Wine environment is not made: run $0 make" >&2; exit 3; }
  in_namespace bash "$0" inside "${binds[@]}" -- "$@"
}

check_host() {
  local version major minor
  [ "$(id -u)" = 0 ] || cannot "it needs root (for debootstrap and the user namespace)"
  version=$(uname -r)
  major=${version%%.*}
  minor=${version#*.}
  minor=${minor%%[!0-9]*}
  [ "$major" -gt 6 ] || { [ "$major" = 6 ] && [ "$minor" -ge 7 ]; } ||
    cannot "Linux $version is older than 6.7, which gives each user namespace its own binfmt_misc"
  [ "$(uname -m)" = x86_64 ] || cannot "it is made on x86_64 hosts only"
  for tool in apt-get dpkg-deb unshare wget gpgv; do
    command -v "$tool" >/dev/null || cannot "$tool is missing (scripts/install-deps.sh all)"
  done
}

# debootstrap and qemu-user, fetched through a private apt configuration.
fetch_tools() {
  local apt=$dir/apt
  rm -rf "$apt" "$tools"
  mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/empty" "$apt/debs" "$tools"
  cat >"$apt/sources.list" <<EOF
deb [signed-by=$keyring] $mirror bookworm main
deb [signed-by=$keyring] $mirror bookworm-backports main
EOF
  : >"$apt/status"
  local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/empty"
    -o "Dir::Etc::Parts=$apt/empty" -o "Dir::Etc::PreferencesParts=$apt/empty"
    -o "Dir::Etc::Preferences=$apt/empty/none" -o "Dir::State=$apt" -o "Dir::State::Lists=$apt/lists"
    -o "Dir::State::status=$apt/status" -o "Dir::Cache=$apt" -o "Dir::Cache::archives=$apt/archives"
    -o APT::Architecture=amd64 -o APT::Sandbox::User=root)
  apt-get "${options[@]}" -q update >"$dir/make.log" 2>&1 ||
    cannot "apt-get update from $mirror failed (see $dir/make.log)"
  (cd "$apt/debs" && apt-get "${options[@]}" -q download debootstrap qemu-user/bookworm-backports) \
    >>"$dir/make.log" 2>&1 || cannot "apt-get download failed (see $dir/make.log)"
  for deb in "$apt/debs"/*.deb; do dpkg-deb -x "$deb" "$tools"; done
  [ -x "$qemu" ] && [ -x "$tools/usr/sbin/debootstrap" ] || cannot "the fetched packages lack qemu-i386"
}

make_chroot() {
  echo "making the i386 chroot (debootstrap, then wine32; about 5 minutes)"
  rm -rf "$chroot_dir"
  DEBOOTSTRAP_DIR=$tools/usr/share/debootstrap "$tools/usr/sbin/debootstrap" --foreign --arch=i386 \
    --variant=minbase bookworm "$chroot_dir" "$mirror" >>"$dir/make.log" 2>&1 ||
    cannot "debootstrap failed (see $dir/make.log)"
  # The second stage runs i386 programs; as a container, it leaves the device
  # nodes that the first stage made.
  env container=lxc bash "$0" chroot-setup /debootstrap/debootstrap --second-stage \
    >>"$dir/make.log" 2>&1 || cannot "debootstrap's second stage failed (see $dir/make.log)"
  # Wine has no security updates in bookworm; its index was once refused mid-sync.
  echo "deb $mirror bookworm main" >"$chroot_dir/etc/apt/sources.list"
  cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
  bash "$0" chroot-setup sh -c 'apt-get -q update && DEBIAN_FRONTEND=noninteractive \
    apt-get -q install -y --no-install-recommends "$@" && apt-get clean' sh "${chroot_packages[@]}" \
    >>"$dir/make.log" 2>&1 || cannot "installing wine32 in the chroot failed (see $dir/make.log)"
}

make_env() {
  check_host
  mkdir -p "$dir"
  exec 9>"$dir.lock"
  flock 9
  is_made && return
  rm -f "$dir/made"
  local started=$SECONDS
  fetch_tools
  make_chroot
  echo "$made_mark" >"$dir/made"
  echo "the 32-bit Wine environment is made in $dir ($((SECONDS - started)) s)"
}

case "${1:-}" in
  make) make_env ;;
  run) shift; run "$@" ;;
  # Internal steps, each in its namespace.
  inside) shift; inside "$@" ;;
  chroot-setup) shift; in_namespace bash "$0" inside -- "$@" ;;
  *) echo "usage: $0 make | run [--bind DIR]... COMMAND..." >&2; exit 2 ;;
esac
