#!/usr/bin/env bash
# Installs the Debian packages Tarnwick needs to build, run, test and benchmark, when missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libcurl4-openssl-dev libssl-dev
  libgtest-dev libgmock-dev
  openssl nginx apache2-utils
  clang libclang-rt-14-dev
  fonts-dejavu-core xvfb xauth imagemagick xdotool
  python3 time curl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
