#!/usr/bin/env bash
# Every test: the release build with the desktop program, the Debian package installed into a
# clean root and run from there, the command-line tool built for Windows and compared under
# Wine, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and short runs of the fuzz harnesses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
start=$SECONDS
# Each stage says how long the run has taken when it starts.
stage() { printf '== %s (at %d:%02d)\n' "$1" $(((SECONDS - start) / 60)) $(((SECONDS - start) % 60)); }
"$root/tools/setup-deps.sh"
fuzz_seconds=${TREVALON_FUZZ_SECONDS:-20}
jobs=$(nproc)
log=$(mktemp)
prefix=$(mktemp -d)
debroot=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$prefix" "$debroot"' EXIT

stage "include check"
"$root/tools/check-layers.sh"

stage "release build and tests"
"$root/tools/build.sh" "$root/build" -DTREVALON_BUILD_TESTS=ON -DTREVALON_BUILD_BENCH=ON -DTREVALON_BUILD_GUI=ON
(cd "$root/build" && ctest --output-on-failure -j"$jobs") | tee -a "$log"

stage "install layout"
cmake --install "$root/build" --prefix "$prefix" >/dev/null
installed="bin/trevalon-cli share/trevalon/manual/index.html share/doc/trevalon/README.md"
[ -x "$root/build/src/gui/trevalon" ] && installed="$installed bin/trevalon"
for f in $installed; do
  [ -e "$prefix/$f" ] || { echo "cmake --install left out $f"; exit 1; }
done
echo "installed into a temporary prefix: $installed"

stage "Debian package"
rm -f "$root"/build/trevalon_*.deb
(cd "$root/build" && cpack -G DEB >/dev/null)
deb=$(ls "$root"/build/trevalon_*_amd64.deb)
dpkg-deb --field "$deb" Package Version Architecture Depends
# Unpacked into an empty root: everything the programs need from the package is in it.
dpkg-deb -x "$deb" "$debroot"
for f in usr/bin/trevalon-cli usr/share/trevalon/manual/index.html \
  usr/share/doc/trevalon/examples/core-insert-finish.nc usr/share/trevalon/templates/default.ppr; do
  [ -e "$debroot/$f" ] || { echo "the package leaves out /$f"; exit 1; }
done
if [ -x "$root/build/src/gui/trevalon" ]; then
  for f in usr/bin/trevalon usr/share/applications/trevalon.desktop \
    usr/share/icons/hicolor/scalable/apps/trevalon.svg; do
    [ -e "$debroot/$f" ] || { echo "the package leaves out /$f"; exit 1; }
  done
fi
debsys=$(mktemp -d -p "$debroot")
"$debroot/usr/bin/trevalon-cli" --sysdir "$debsys" optimize \
  "$debroot/usr/share/doc/trevalon/examples/core-insert-finish.nc" -o "$debsys/optimised.nc" \
  --lmx "$debroot/usr/share/doc/trevalon/examples/steel-finish.lmx" --verify
echo "$(basename "$deb"): the packaged trevalon-cli wrote $(wc -l <"$debsys/optimised.nc") lines"

stage "the command-line tool for Windows, under Wine"
TREVALON_LINUX_CLI="$root/build/trevalon-cli" "$root/tools/run-windows.sh" --zip

# One clang tree serves the sanitizer pass and the fuzz harnesses: the core is compiled once,
# with the sanitizers and the fuzzers' coverage, instead of once for each. -O1 with line
# tables: the sanitizers find the same faults and name the lines, and the tree compiles in
# far less time than with full optimisation and debug information. Without clang the tests
# run under the sanitizers of g++ and no harness is built.
san_options=(-DTREVALON_SANITIZE=ON -DTREVALON_BUILD_BENCH=OFF -DTREVALON_BUILD_GUI=OFF
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1")
fuzz_too=0
if [ -f "$root/fuzz/CMakeLists.txt" ] && command -v clang++ >/dev/null; then
  fuzz_too=1
  san_options+=(-DCMAKE_CXX_COMPILER=clang++ -DTREVALON_BUILD_FUZZ=ON)
fi
stage "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
"$root/tools/build.sh" "$root/build-san" "${san_options[@]}"
(cd "$root/build-san" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs") | tee -a "$log"

if ((fuzz_too)); then
  stage "fuzz harnesses (${fuzz_seconds} s each, ${jobs} at a time)"
  fuzzdir=$(mktemp -d)
  # One harness: its seeds copied into a corpus of its own, its output kept for the report.
  fuzz_one() {
    local h=$1 name corpus seeds
    name=$(basename "$h")
    corpus="$fuzzdir/$name.corpus"
    mkdir -p "$corpus"
    seeds="$root/fuzz/corpus/${name%_fuzz}"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/ 2>/dev/null || true
    if "$h" -max_total_time="$fuzz_seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$corpus" >"$fuzzdir/$name.out" 2>&1; then
      echo ok >"$fuzzdir/$name.status"
    else
      echo failed >"$fuzzdir/$name.status"
    fi
  }
  harnesses=()
  for h in "$root"/build-san/fuzz/*_fuzz; do
    [ -x "$h" ] && harnesses+=("$h")
  done
  for ((i = 0; i < ${#harnesses[@]}; i += jobs)); do
    for h in "${harnesses[@]:i:jobs}"; do fuzz_one "$h" & done
    wait
  done
  fuzzed=0
  for h in "${harnesses[@]}"; do
    name=$(basename "$h")
    echo "-- $name"
    if [ "$(cat "$fuzzdir/$name.status" 2>/dev/null)" != ok ]; then
      tail -40 "$fuzzdir/$name.out"
      echo "$name found a failure (the input is in the log above)"
      exit 1
    fi
    grep -E 'stat::number_of_executed_units' "$fuzzdir/$name.out" || true
    fuzzed=$((fuzzed + 1))
  done
  rm -rf "$fuzzdir"
  echo "fuzzed $fuzzed harnesses"
fi
stage "all test stages passed"
# One closing line for both suites (a failure above has already stopped the script).
total=$(grep -oE 'tests failed out of [0-9]+' "$log" | awk '{s += $5} END {print s + 0}')
echo "tests: $total passed, 0 failed"
