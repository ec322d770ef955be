#!/usr/bin/env bash
# Installs what building, testing, running and packaging need on a Debian 12 machine.
# Idempotent: with everything there it installs nothing and does not touch the package lists.
set -euo pipefail
packages=(build-essential ccache cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev
          libgl-dev xvfb xauth clang libclang-rt-14-dev fonts-dejavu-core
          libmosquitto-dev mosquitto
          dpkg-dev lintian desktop-file-utils appstream librapidcheck-dev valgrind
          libmodbus-dev mbpoll python3-pymodbus python3-serial-asyncio prometheus
          libacl1-dev acl libxtst-dev systemd openssl libssl-dev
          chromium chromium-driver python3-selenium)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
