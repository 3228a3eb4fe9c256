#!/usr/bin/env bash
# Runs scripts/install-deps.sh against stand-ins for id, dpkg-query, apt-get
# and sudo, as root, as a user with sudo and as one without, and checks
# what it would have run and what it says.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# make_stubs DIR UID INSTALLED [sudo]: a PATH holding the stand-ins. Every
# call of apt-get or sudo is logged in DIR/log.
make_stubs() {
  local dir=$1
  mkdir -p "$dir/bin"
  : >"$dir/log"
  printf '#!/bin/sh\necho %s\n' "$2" >"$dir/bin/id"
  cat >"$dir/bin/dpkg-query" <<STUB
#!/bin/sh
for installed in $3; do [ "\$3" = "\$installed" ] && { printf 'install ok installed'; exit 0; }; done
exit 1
STUB
  printf '#!/bin/sh\necho "apt-get $*" >>%s/log\n' "$dir" >"$dir/bin/apt-get"
  if [ "${4:-}" = sudo ]; then
    printf '#!/bin/sh\necho "sudo $1" >>%s/log\nexec "$@"\n' "$dir" >"$dir/bin/sudo"
  fi
  # What the script needs besides the stand-ins, and nothing else from PATH.
  for tool in bash env grep; do ln -s "$(command -v $tool)" "$dir/bin/$tool"; done
  chmod +x "$dir"/bin/*
}

run() {  # run DIR ARGS...: the script's exit code; its output in DIR/out
  local dir=$1
  shift
  PATH="$dir/bin" bash "$root/scripts/install-deps.sh" "$@" >"$dir/out" 2>&1
}

expect_log() {  # expect_log DIR CASE EXPECTED
  local got
  got=$(cat "$1/log")
  [ "$got" = "$3" ] || fail "$2: expected the calls [$3], got [$got]"
}

# Root, cmake missing: apt-get itself installs just what is missing.
make_stubs "$work/root" 0 "ninja-build g++"
run "$work/root" demo || fail "root: exit code $?"
expect_log "$work/root" root "apt-get update
apt-get install -y --no-install-recommends cmake"

# A user with sudo: the same calls, each through sudo.
make_stubs "$work/sudo" 1000 "g++" sudo
run "$work/sudo" demo || fail "sudo: exit code $?"
expect_log "$work/sudo" sudo "sudo apt-get
apt-get update
sudo env
apt-get install -y --no-install-recommends cmake ninja-build"

# A user without sudo: nothing is run, the message names the packages.
make_stubs "$work/plain" 1000 "cmake"
run "$work/plain" demo
status=$?
[ "$status" = 1 ] || fail "no sudo: expected exit code 1, got $status"
expect_log "$work/plain" "no sudo" ""
grep -q 'apt-get install ninja-build g++' "$work/plain/out" || fail "no sudo: the message does not say what to install: $(cat "$work/plain/out")"

# Everything there: nothing is run, whoever runs it.
make_stubs "$work/none" 1000 "cmake ninja-build g++"
run "$work/none" demo || fail "nothing missing: exit code $?"
expect_log "$work/none" "nothing missing" ""

# The full list asks for more than the demo does, the test tools among them.
make_stubs "$work/all" 0 ""
run "$work/all" all || fail "all: exit code $?"
grep -q 'install .* cmake ninja-build g++ clang .*xvfb.* help2man' "$work/all/log" ||
  fail "all: the full list is not installed: $(cat "$work/all/log")"

run "$work/all" || true
grep -q usage "$work/all/out" || fail "no argument: no usage message"

[ "$failures" = 0 ] && echo "install-deps: all cases passed"
exit $((failures > 0))
