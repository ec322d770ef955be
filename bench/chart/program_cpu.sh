#!/usr/bin/env bash
# Whole-program CPU seconds per wall second of PLM870_Monitor on a real X window (Xvfb),
# polling 16 blocks (PLM870_BENCH_BLOCKS sets another count) at 9600 baud against the
# simulator, with the chart page in front (PLM870_BENCH_TAB=0 puts the four-block page in
# front instead), and the frames the simulator received per second as a share of the line
# limit (9600 / (102 characters x 10 bits) = 9.41 a second):
#   1. polling only (chart and logging in standby);
#   2. polling, the chart sampling every second (four pens) and logging 320 channels every 10 s.
# Goal for 2: at most 0.01 CPU s per wall s. The CPU time is the process's (all threads), read
# from /proc after the start-up read, over PLM870_BENCH_SECONDS (default 60) of steady running.
# PLM870_BENCH_PLATFORM=offscreen runs without a window system, for comparison.
# Usage: bench/chart/program_cpu.sh [folder with PLM870_Monitor and plm870sim] (default build/bin)
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${1:-build/bin}
seconds=${PLM870_BENCH_SECONDS:-60}
for program in PLM870_Monitor plm870sim; do
  [ -x "$bin/$program" ] || { echo "no $bin/$program; build it first" >&2; exit 1; }
done
platform=${PLM870_BENCH_PLATFORM:-xcb}
tab=${PLM870_BENCH_TAB:-5}
blocks=${PLM870_BENCH_BLOCKS:-16}
[ "$platform" != xcb ] || command -v Xvfb >/dev/null || { echo "Xvfb is needed (apt-get install xvfb)" >&2; exit 1; }

tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ -n "${PLM870_BENCH_KEEP:-}" ] && echo "kept $tmp" >&2 || rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

where=offscreen
if [ "$platform" = xcb ]; then
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
  pids+=($!)
  sleep 1
  export DISPLAY=$display
  where="Xvfb $display 1920x1080"
fi
export QT_QPA_PLATFORM=$platform

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# run <name> <chart and logging: 0 or 1>
run() {
  local name=$1 busy=$2 dir="$tmp/$1"
  mkdir -p "$dir/config/TOBREL LUMIRAS" "$dir/home/logging"
  {
    echo '[General]'
    echo 'Speed=9600'
    echo "Chart_start=$busy"
    echo "log_start=$busy"
    echo 'Chart_Tim=1'
    echo 'Logtim=0'
    echo 'log_restart=0'
    for b in $(seq 0 $((blocks - 1))); do echo "LogBlock%20$b=1"; done
  } >"$dir/config/TOBREL LUMIRAS/PLM-870 Monitor_us.ini"

  "$bin/plm870sim" --blocks 0-$((blocks - 1)) --baud 9600 --link "$dir/com1" --trace "$dir/frames" >"$dir/sim.out" 2>&1 &
  local sim=$!
  pids+=("$sim")
  for _ in $(seq 50); do grep -q '^PTY ' "$dir/sim.out" 2>/dev/null && break; sleep 0.1; done

  PLM870_COM1="$dir/com1" XDG_CONFIG_HOME="$dir/config" PLM870_HOME="$dir/home" \
    PLM870_SCREENSHOT="$dir/shot.png" PLM870_SCREENSHOT_TAB=$tab \
    PLM870_SCREENSHOT_DELAY_MS=$(((seconds + 400) * 1000)) PLM870_SCREENSHOT_TIMEOUT_MS=$(((seconds + 600) * 1000)) \
    "$bin/PLM870_Monitor" >"$dir/monitor.out" 2>&1 &
  local monitor=$!
  pids+=("$monitor")

  # The start-up read of 16 blocks (656 reads) takes about 70 s at 9600 baud; polling follows.
  echo "$name: start-up read ..." >&2
  for _ in $(seq 300); do
    [ "$(wc -l <"$dir/frames" 2>/dev/null || echo 0)" -gt $((blocks * 41 + 44)) ] && break
    sleep 1
  done
  sleep 5
  local c0 c1 t0 t1 f0 f1
  c0=$(cpu_ticks "$monitor"); f0=$(wc -l <"$dir/frames"); t0=$(date +%s.%N)
  sleep "$seconds"
  c1=$(cpu_ticks "$monitor"); f1=$(wc -l <"$dir/frames"); t1=$(date +%s.%N)
  awk -v n="$name" -v c=$((c1 - c0)) -v f=$((f1 - f0)) -v hz="$ticks" -v a="$t0" -v b="$t1" \
    'BEGIN { w = b - a; printf "%-46s %.2f CPU s in %.1f s -> %.4f CPU s per wall s (goal <= 0.01: ratio %.2f); %.3f of the line limit\n", n, c / hz, w, c / hz / w, c / hz / w / 0.01, f / w / (9600 / 1020) }'
  kill "$monitor" "$sim" 2>/dev/null || true
  wait "$monitor" "$sim" 2>/dev/null || true
}

echo "== program_cpu ($where, $blocks blocks at 9600 baud, page $tab in front)"
run "polling only" 0
run "polling + chart every 1 s + logging every 10 s" 1
