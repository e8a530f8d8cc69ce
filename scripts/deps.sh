#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail
source "$(dirname "$0")/steps.sh"

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
  # installation: icon pictures, the desktop entry's check, the Debian package
  librsvg2-bin desktop-file-utils dpkg-dev fakeroot
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "Checking Debian packages ... all ${#PACKAGES[@]} present"
  exit 0
fi

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
step apt-update "Updating the package lists" $SUDO apt-get update
step apt-install "Installing ${#missing[@]} missing packages (${missing[*]})" \
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
