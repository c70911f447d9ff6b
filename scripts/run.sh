#!/usr/bin/env bash
# Builds the desktop program (release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tarnwick
exec build/release/app/tarnwick
