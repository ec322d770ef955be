#!/bin/sh
# The window program's end with a disk that never answers: the simulator sends bad checksums
# (each one a history line), the disk never finishes putting an appended file on the disk
# (libplm_silent_disk.so), and the program ends by itself after a screenshot. Prints the time
# from the screenshot (the last thing before the end) to the process's exit, and what the
# program said on standard error.
# Usage: bench/end_with_silent_disk.sh [build/release]
set -eu
build=${1:-build/release}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
trap 'kill $sim 2>/dev/null || true; rm -rf "$work"' EXIT
"$bin/plm870sim" --blocks 0 --bad-checksum 0.3 --seed 1 --link "$work/pty" >"$work/sim.out" 2>&1 &
sim=$!
for _ in 1 2 3 4 5 6 7 8 9 10; do [ -e "$work/pty" ] && break; sleep 0.5; done
export PLM870_HOME="$work/home" XDG_CONFIG_HOME="$work/config" PLM870_COM1="$work/pty"
export QT_QPA_PLATFORM=offscreen PLM870_SCREENSHOT="$work/shot.png" PLM870_SCREENSHOT_DELAY_MS=8000
mkdir -p "$PLM870_HOME"
LD_PRELOAD="$bin/libplm_silent_disk.so" "$bin/PLM870_Monitor" 2>"$work/err" &
monitor=$!
while [ ! -e "$work/shot.png" ] && kill -0 $monitor 2>/dev/null; do sleep 0.05; done
shot=$(date +%s.%N)
wait $monitor || true
ended=$(date +%s.%N)
echo "end after the screenshot: $(echo "$ended - $shot" | bc) s"
grep "written to" "$work/err" | sed "s/^/stderr: /" | head -3

# The gateway the same way, ended by SIGTERM once it has polled for 30 s.
export PLM870_HOME="$work/gateway-home"
mkdir -p "$PLM870_HOME"
LD_PRELOAD="$bin/libplm_silent_disk.so" "$bin/plm870-gateway" --port COM1 --speed 9600 2>"$work/gateway-err" &
gateway=$!
sleep 30
asked=$(date +%s.%N)
kill -TERM $gateway
wait $gateway || true
ended=$(date +%s.%N)
echo "gateway: end after SIGTERM: $(echo "$ended - $asked" | bc) s"
grep "written to" "$work/gateway-err" | sed "s/^/stderr: /" | head -2
