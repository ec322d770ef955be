#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its figures as ratios of its goal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLM_WERROR=ON >/dev/null
cmake --build build/release -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
for b in build/release/bin/bench_*; do
  [ -x "$b" ] || continue
  [ "$(basename "$b")" = bench_program_load ] && continue # below, on each platform
  echo "== $(basename "$b")"
  "$b"
done
# The whole program under an operator's load, offscreen and (with Xvfb) on an X window.
command -v xvfb-run >/dev/null || export PLM870_BENCH_PLATFORMS=offscreen
bash bench/ui/program_load.sh build/release/bin
