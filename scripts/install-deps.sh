#!/usr/bin/env bash
# Installs what building, running and testing Brisvale needs on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-svg-dev qt6-image-formats-plugins zlib1g-dev
  libjpeg62-turbo-dev
  libcups2-dev
  libqpdf-dev qpdf
  libgtest-dev libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core fontconfig
  fonts-symbola
  xvfb xauth
  poppler-utils
  libzint-dev libzxing-dev zbar-tools
  glabels-data
  desktop-file-utils libxml2-utils shared-mime-info
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
