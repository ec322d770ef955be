#!/usr/bin/env bash
# bench_program_load offscreen and on a real X window (Xvfb): the whole program polling 16
# blocks at 9600 baud with chart, logging and publishing on; poll rate, CPU and input latency.
# Each platform runs twice: with the program, its simulator, broker and X server held on one
# core, and free to use any core. On a virtual machine a wake-up that crosses cores can cost
# far more than the program's own work for a character, so the two figures differ there;
# the one-core run is the program's own cost.
# PLM870_BENCH_SECONDS sets the steady run (default 60) after the start-up read (about 70 s);
# PLM870_BENCH_PLATFORMS ("offscreen xcb") and PLM870_BENCH_PLACEMENTS ("one-core any-core")
# choose the runs.
# Usage: bench/ui/program_load.sh [folder with bench_program_load and plm870sim] (default build/bin)
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${1:-build/bin}
[ -x "$bin/bench_program_load" ] || { echo "no $bin/bench_program_load; build it first" >&2; exit 1; }
for platform in ${PLM870_BENCH_PLATFORMS:-offscreen xcb}; do
  for placement in ${PLM870_BENCH_PLACEMENTS:-one-core any-core}; do
    pin=()
    [ "$placement" = one-core ] && pin=(taskset -c 0)
    echo "== $platform, $placement"
    if [ "$platform" = xcb ]; then
      command -v xvfb-run >/dev/null || { echo "xvfb-run is needed (apt-get install xvfb xauth)" >&2; exit 1; }
      QT_QPA_PLATFORM=xcb "${pin[@]}" xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" "$bin/bench_program_load"
    else
      QT_QPA_PLATFORM=$platform "${pin[@]}" "$bin/bench_program_load"
    fi
  done
done
