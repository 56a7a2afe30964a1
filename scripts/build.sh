#!/usr/bin/env bash
# Configures (once) and builds kavri into ./build. A second run only rebuilds what changed.
# Usage: scripts/build.sh [build-dir] [extra cmake -D options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$dir" -j2
