#!/usr/bin/env bash
# Builds the Debian packages into dist/: plm870-monitor (the window and the simulator),
# plm870-gateway (the gateway and its systemd unit), libtobrelcomm3 and libtobrelcomm3-dev.
# Uses the release build tree (build/release, or the one named by PLM_BUILD_DIR), configured
# for /usr, so after scripts/test.sh nothing is compiled again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

build=${PLM_BUILD_DIR:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLM_WERROR=ON \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$(nproc)"

staging="$root/$build/packages"
rm -rf "$staging"
(cd "$build" && cpack -G DEB -B "$staging" >"$staging.log" 2>&1) || { cat "$staging.log" >&2; exit 1; }
mkdir -p dist
rm -f dist/*.deb
cp "$staging"/*.deb dist/
ls -l dist/*.deb
