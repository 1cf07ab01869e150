#!/usr/bin/env bash
# Fails when a source file includes from a layer above its own. The layers, bottom first:
#   platform < texts < model < ncio < view < edit < feed < app < cli, gui
# sim (the cutting simulation) stands on model alone: ranked with ncio, so that neither
# includes the other, and everything from view up may include it.
# A file may include its own layer and any layer below; cli and gui may include everything
# of the core but not each other.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
declare -A rank=([platform]=0 [texts]=1 [model]=2 [ncio]=3 [sim]=3 [view]=4 [edit]=5 [feed]=6 [app]=7
                 [cli]=8 [gui]=8)
bad=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
  layer=${file#"$root/src/"}
  layer=${layer%%/*}
  [ -n "${rank[$layer]+x}" ] || { echo "$file: not in a known layer"; bad=1; continue; }
  while IFS=: read -r line target; do
    dep=${target%%/*}
    [ -n "${rank[$dep]+x}" ] || continue  # system and third-party headers
    echo "${file#"$root/src/"} $target" >>"$edges"
    if [ "$dep" != "$layer" ] && { [ "${rank[$dep]}" -ge "${rank[$layer]}" ]; }; then
      echo "${file#"$root/"}:$line: layer '$layer' includes '$target' from layer '$dep'"
      bad=1
    fi
  done < <(grep -no '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*"' "$file" |
           sed -E 's/^([0-9]+):.*"([^"]*)"/\1:\2/')
done < <(find "$root/src" -name '*.cpp' -o -name '*.h' | sort)
# No cycle among the files either: tsort names the files of any loop it finds.
if ! tsort "$edges" >/dev/null 2>"$edges.loop"; then
  cat "$edges.loop"
  echo "include check: the includes form a cycle"
  bad=1
fi
rm -f "$edges.loop"
if [ "$bad" -ne 0 ]; then
  echo "include check: a file includes from a layer above its own"
  exit 1
fi
echo "include check: every include points down, no cycle"
