#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, when missing.
set -euo pipefail
packages=(build-essential cmake pkg-config libpugixml-dev libtiff-dev libcurl4-openssl-dev
          libzip-dev zlib1g-dev liblcms2-dev libpng-dev libjpeg-dev qt6-base-dev libgtest-dev python3-pyftpdlib
          gcovr xvfb xauth xdotool fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
