#!/usr/bin/env bash
# Every test: the release build with the desktop program, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and short runs of the fuzz harnesses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup-deps.sh"
fuzz_seconds=${TREVALON_FUZZ_SECONDS:-20}
log=$(mktemp)
prefix=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$prefix"' EXIT

echo "== include check"
"$root/tools/check-layers.sh"

echo "== release build and tests"
"$root/tools/build.sh" "$root/build" -DTREVALON_BUILD_TESTS=ON -DTREVALON_BUILD_BENCH=ON -DTREVALON_BUILD_GUI=ON
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)") | tee -a "$log"

echo "== install layout"
cmake --install "$root/build" --prefix "$prefix" >/dev/null
installed="bin/trevalon-cli share/trevalon/manual/index.html share/doc/trevalon/README.md"
[ -x "$root/build/src/gui/trevalon" ] && installed="$installed bin/trevalon"
for f in $installed; do
  [ -e "$prefix/$f" ] || { echo "cmake --install left out $f"; exit 1; }
done
echo "installed into a temporary prefix: $installed"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
"$root/tools/build.sh" "$root/build-asan" -DTREVALON_SANITIZE=ON -DTREVALON_BUILD_BENCH=OFF \
  -DTREVALON_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$(nproc)") | tee -a "$log"

if [ -f "$root/fuzz/CMakeLists.txt" ] && command -v clang++ >/dev/null; then
  echo "== fuzz harnesses (${fuzz_seconds} s each)"
  "$root/tools/build.sh" "$root/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ -DTREVALON_BUILD_FUZZ=ON \
    -DTREVALON_BUILD_TESTS=OFF -DTREVALON_BUILD_BENCH=OFF -DTREVALON_BUILD_GUI=OFF
  fuzzed=0
  for h in "$root"/build-fuzz/fuzz/*_fuzz; do
    [ -x "$h" ] || continue
    name=$(basename "$h")
    corpus=$(mktemp -d)
    seeds="$root/fuzz/corpus/${name%_fuzz}"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/ 2>/dev/null || true
    echo "-- $name"
    out=$(mktemp)
    if ! "$h" -max_total_time="$fuzz_seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$corpus" >"$out" 2>&1; then
      tail -40 "$out"
      echo "$name found a failure (the input is in the log above)"
      exit 1
    fi
    grep -E 'stat::number_of_executed_units' "$out" || true
    rm -f "$out"
    rm -rf "$corpus"
    fuzzed=$((fuzzed + 1))
  done
  echo "fuzzed $fuzzed harnesses"
fi
echo "all test stages passed"
# One closing line for both suites (a failure above has already stopped the script).
total=$(grep -oE 'tests failed out of [0-9]+' "$log" | awk '{s += $5} END {print s + 0}')
echo "tests: $total passed, 0 failed"
