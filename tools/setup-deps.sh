#!/usr/bin/env bash
# Installs what building and testing Trevalon needs on Debian 12, skipping what is there.
set -euo pipefail
want=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      clang libclang-rt-14-dev ccache qt6-base-dev libgl-dev fonts-nanum qt6-l10n-tools qt6-tools-dev dpkg-dev)
missing=()
for p in "${want[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
