#!/usr/bin/env bash
# Set-up, build and every test. The command CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build="${BUILD_DIR:-build}"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
