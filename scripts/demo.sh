#!/usr/bin/env bash
# Builds vantrel and repairs a fresh copy of the demo movie in
# build/release/demo/, listing each fix. First installs cmake, ninja and
# g++ when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh demo
cmake --workflow --preset demo
