#!/usr/bin/env bash
# Set-up, build, then start the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec bash scripts/run.sh
