#!/usr/bin/env bash
# The main job, headless, on the bundled example: installs what is missing, builds, runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup-deps.sh"
"$root/tools/build.sh" "$root/build-cli" -DTREVALON_BUILD_TESTS=OFF -DTREVALON_BUILD_BENCH=OFF \
  -DTREVALON_BUILD_GUI=OFF
sysdir=$(mktemp -d)
trap 'rm -rf "$sysdir"' EXIT
cd "$root"
# Load the bundled finishing program, let the feed optimiser set every feed from the steel
# cutting conditions, and write the optimised program.
out="$root/build-cli/core-insert-finish-optimised.nc"
"$root/build-cli/trevalon-cli" --sysdir "$sysdir" optimize examples/core-insert-finish.nc -o "$out" \
  --lmx examples/steel-finish.lmx --verify
echo "written: $out ($(wc -l <"$out") lines, read back as written)"
