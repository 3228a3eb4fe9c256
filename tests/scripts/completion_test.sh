#!/usr/bin/env bash
# Checks the bash completion of vantrel: `vantrel --ref` completes to
# --references, every option of --help completes from its own name, and the
# words that are file names are left to bash.
#
#   tests/scripts/completion_test.sh COMPLETION_FILE VANTREL
set -euo pipefail
completion=$1
vantrel=$2
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$completion"
[ "$(complete -p vantrel)" = "complete -o default -F _vantrel vantrel" ] ||
  fail "the completion is not bound to vantrel: $(complete -p vantrel 2>&1)"

# completes WORD... : what bash offers for the last word of "vantrel WORD...".
completes() {
  COMP_WORDS=(vantrel "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _vantrel
  echo "${COMPREPLY[*]}"
}

[ "$(completes --ref)" = "--references" ] || fail "vantrel --ref gave '$(completes --ref)'"
[ "$(completes -q --dry)" = "--dry-run" ] || fail "vantrel -q --dry gave '$(completes -q --dry)'"
[ "$(completes --re)" = "--recursive --references" ] || fail "vantrel --re gave '$(completes --re)'"
# File names are bash's own (complete -o default): nothing is offered here.
[ -z "$(completes --rules --)" ] || fail "vantrel --rules -- offered options"
[ -z "$(completes -- --re)" ] || fail "vantrel -- --re offered options after --"
[ -z "$(completes fil)" ] || fail "vantrel fil offered options for a movie"

for option in $("$vantrel" --help | grep -oE -- '^  (-[a-zA-Z], )?--[a-z][a-z-]*' | grep -oE -- '--[a-z-]+'); do
  [[ " $(completes "$option") " == *" $option "* ]] || fail "$option does not complete"
done

[ "$failures" = 0 ] && echo "completion: all checks passed"
exit $((failures > 0))
