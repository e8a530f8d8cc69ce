#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config ccache
  qt6-base-dev qt6-multimedia-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libswresample-dev
  libjpeg62-turbo-dev zlib1g-dev liblzma-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei
  # real readers used by the tests as oracles
  ffmpeg libgif-dev giflib-tools pngcheck libpng-dev libjpeg-turbo-progs python3-pil imagemagick
  # fuzz targets
  clang
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  SUDO="sudo"
else
  echo "error: these Debian packages are missing and I cannot install them (not root, no sudo):" >&2
  echo "  ${missing[*]}" >&2
  echo "Install them with: apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
