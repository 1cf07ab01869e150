#!/usr/bin/env bash
# The main job, headless, on the bundled example: installs what is missing, builds, runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup-deps.sh"
"$root/tools/build.sh" "$root/build" -DTREVALON_BUILD_TESTS=OFF -DTREVALON_BUILD_BENCH=OFF \
  -DTREVALON_BUILD_GUI=OFF
sysdir=$(mktemp -d)
trap 'rm -rf "$sysdir"' EXIT
cd "$root"
"$root/build/trevalon-cli" --sysdir "$sysdir" run examples/pocket-finish.tvs
