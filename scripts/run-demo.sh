#!/usr/bin/env bash
# Builds the programs, starts the controller simulator with the demo installation at 19200 baud
# on a pseudo-terminal and runs the monitor connected to it, with preferences and data folders
# of the demo's own (./demo-data). Without a display the monitor runs on the offscreen platform,
# writes a screenshot of its main window to demo-screenshot.png and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLM_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target plm870sim PLM870_Monitor

data="$root/demo-data"
mkdir -p "$data/config/TOBREL LUMIRAS" "$data/home"
prefs="$data/config/TOBREL LUMIRAS/PLM-870 Monitor_us.ini"
# The simulator runs at 19200 baud; the monitor starts at the same speed.
if ! grep -q '^Speed=' "$prefs" 2>/dev/null; then
  { grep -q '^\[General\]' "$prefs" 2>/dev/null || echo '[General]'; echo 'Speed=19200'; } >> "$prefs"
else
  sed -i 's/^Speed=.*/Speed=19200/' "$prefs"
fi

tmp=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

"$build/bin/plm870sim" --demo --baud 19200 --link "$tmp/com1" >"$tmp/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
  grep -q '^PTY ' "$tmp/sim.out" 2>/dev/null && break
  sleep 0.1
done
if ! grep -q '^PTY ' "$tmp/sim.out"; then
  echo "The simulator did not start:" >&2
  cat "$tmp/sim.out" >&2
  exit 1
fi
echo "Simulator: $(grep '^PTY ' "$tmp/sim.out") (linked as $tmp/com1)"

export PLM870_COM1="$tmp/com1"
export XDG_CONFIG_HOME="$data/config"
export PLM870_HOME="$data/home"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
  export PLM870_SCREENSHOT="$root/demo-screenshot.png"
  echo "No display: running offscreen; the start-up read takes about half a minute."
  "$build/bin/PLM870_Monitor"
  echo "Screenshot of the main window: $PLM870_SCREENSHOT"
else
  "$build/bin/PLM870_Monitor"
fi
echo "Preferences and data of the demo: $data"
