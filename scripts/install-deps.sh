#!/usr/bin/env bash
# Installs every Debian package the build, the program and its tests need,
# and nothing when all of them are already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake make pkg-config python3
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev zlib1g-dev
  googletest libgtest-dev
  libstb-dev
  wine wine64
  fonts-wine fonts-liberation libxrender1 libxrandr2 libxcursor1 libxi6 libxcomposite1 libxinerama1
  xvfb xdotool x11-utils imagemagick
  alsa-utils sox
  lame ffmpeg
  unzip zip
  fp-utils
  fonts-wqy-microhei fonts-dejavu-core
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
