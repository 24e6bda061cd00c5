#!/usr/bin/env bash
# Installs the Debian packages this project builds, runs and tests with.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpugixml-dev libcurl4-openssl-dev
  libx11-dev libxi-dev libxtst-dev libxext-dev
  libpng-dev zlib1g-dev libgif-dev libffmpegthumbnailer-dev libavutil-dev libwmf-dev fonts-urw-base35 ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils x11-xserver-utils xinput openbox
  qt6-translations-l10n
  clang-14 libclang-rt-14-dev clang-format
  fonts-wqy-microhei fonts-dejavu-core
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi
