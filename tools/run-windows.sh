#!/usr/bin/env bash
# The command-line tool built for Windows and run under Wine: cross-builds trevalon-cli.exe
# into build-win (MinGW-w64, cmake/mingw-w64-x86_64.cmake), runs the bundled example's jobs
# with it and with the Linux build (build-cli, or TREVALON_LINUX_CLI), and compares every written program byte for
# byte. Installs mingw-w64 and wine when they are missing (as root).
#   tools/run-windows.sh          build, run, compare
#   tools/run-windows.sh --zip    also pack build-win/trevalon-cli-VERSION-windows-x86_64.zip
# Prints the time of the cross build and of the Wine runs; exits 1 when a program differs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zip_too=0
[[ ${1:-} == --zip ]] && zip_too=1

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(mingw-w64)
command -v wine >/dev/null || need+=(wine wine64)
if ((${#need[@]})); then
  if [[ $(id -u) != 0 ]]; then
    echo "run-windows: missing ${need[*]} (apt-get install ${need[*]} as root)" >&2
    exit 2
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
wine=wine
command -v wine64 >/dev/null && wine=wine64

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f s", b - a }'; }

# The Linux build, as tools/run-example.sh makes it, or the one TREVALON_LINUX_CLI names (the
# test script passes the release tree's, which it has just built and tested).
linux_cli=${TREVALON_LINUX_CLI:-}
if [[ -z $linux_cli ]]; then
  "$root/tools/build.sh" "$root/build-cli" -DTREVALON_BUILD_TESTS=OFF -DTREVALON_BUILD_BENCH=OFF \
    -DTREVALON_BUILD_GUI=OFF
  linux_cli="$root/build-cli/trevalon-cli"
fi

# The cross build: the core and the command-line tool only.
start=$(now)
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$root/build-win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTREVALON_BUILD_GUI=OFF \
  -DTREVALON_BUILD_TESTS=OFF -DTREVALON_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$root/build-win" -j"$(nproc)" --target trevalon-cli
echo "cross build: $(since "$start")"

# A Wine prefix of our own, kept in the build tree so that only the first run creates it.
export WINEPREFIX="$root/build-win/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
start=$(now)
"$wine" wineboot --init >/dev/null 2>&1 || true
echo "wine prefix: $(since "$start")"

# The jobs, with relative paths, which both systems read alike (Wine runs the program in
# the current folder, on its drive Z:). Each side has a configuration folder and a template
# folder of its own, so that the shipped default template is installed by the run that uses
# it and no template of the user's home folder takes part.
cd "$root"
out=build-win/compare
rm -rf "$out"
mkdir -p "$out/linux/sys" "$out/windows/sys"
jobs() {  # jobs PROGRAM SIDE
  local cli=("${@:1:$#-1}") side=${!#}
  "${cli[@]}" --sysdir "$out/$side/sys" optimize examples/core-insert-finish.nc \
    -o "$out/$side/optimised.nc" --lmx examples/steel-finish.lmx --verify
  "${cli[@]}" --sysdir "$out/$side/sys" -c \
    "load examples/core-insert-finish.nc; save $out/$side/saved.nc verify=1 editor=0"
  "${cli[@]}" --sysdir "$out/$side/sys" -c \
    "settings PostDir=$out/$side/post; load examples/core-insert-finish.nc; post $out/$side/posted.nc"
  # More of what the suite's scripts write: the Heidenhain block format, the other shipped
  # templates and a program read the extended way.
  "${cli[@]}" --sysdir "$out/$side/sys" -c \
    "load examples/core-insert-finish.nc; save $out/$side/saved.h heidenhain=1 editor=0"
  "${cli[@]}" --sysdir "$out/$side/sys" -c "settings PostDir=$out/$side/post; \
    load examples/core-insert-finish.nc; post $out/$side/fanuc-haas.nc ppr=fanuc-haas; \
    post $out/$side/linuxcnc.ngc ppr=linuxcnc; post $out/$side/heidenhain.h ppr=heidenhain"
  "${cli[@]}" --sysdir "$out/$side/sys" -c \
    "ncset extended=1; load examples/core-insert-finish.nc; save $out/$side/extended.nc editor=0"
}
jobs "$linux_cli" linux >"$out/linux/log.txt" 2>&1
start=$(now)
jobs "$wine" build-win/trevalon-cli.exe windows >"$out/windows/log.txt" 2>&1 || {
  cat "$out/windows/log.txt" >&2
  exit 1
}
echo "wine runs (6 jobs): $(since "$start")"

status=0
for f in optimised.nc saved.nc posted.nc saved.h fanuc-haas.nc linuxcnc.ngc heidenhain.h \
  extended.nc; do
  if cmp -s "$out/linux/$f" "$out/windows/$f"; then
    echo "same: $f ($(wc -c <"$out/linux/$f") bytes)"
  else
    echo "DIFFERENT: $f" >&2
    cmp "$out/linux/$f" "$out/windows/$f" >&2 || true
    status=1
  fi
done

if ((zip_too && status == 0)); then
  cmake --build "$root/build-win" --target windows-zip
  echo "packed: $(ls "$root"/build-win/trevalon-cli-*-windows-x86_64.zip)"
fi
exit $status
