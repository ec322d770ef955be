#!/bin/sh
# The end of the window program and of the gateway with a disk that never answers: the
# simulator sends bad checksums (each one a history line) and the disk never finishes putting
# an appended file on the disk (libplm_silent_disk.so). Each program runs twice: once with the
# line answering to the end, once with a line that stops answering (the simulator stopped with
# SIGSTOP) once the first history line is in the file, so that the end meets a line thread
# waiting for replies that never come as well as a disk that never answers.
# The window program ends by itself after a screenshot: the time from the screenshot (the last
# thing before the end) to the process's exit. The gateway is ended by SIGTERM after 30 s of
# polling: the time from the signal to the exit. Then what each program said on standard error.
# Usage: bench/end_with_silent_disk.sh [build/release]
set -eu
build=${1:-build/release}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
sim=
trap 'if [ -n "$sim" ]; then kill -CONT $sim; kill $sim; fi 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" PLM870_COM1="$work/pty"

startSimulator() {
  rm -f "$work/pty"
  "$bin/plm870sim" --blocks 0 --bad-checksum 0.3 --seed 1 --link "$work/pty" >"$work/sim.out" 2>&1 &
  sim=$!
  for _ in 1 2 3 4 5 6 7 8 9 10; do [ -e "$work/pty" ] && break; sleep 0.5; done
}
stopSimulator() {
  kill -CONT $sim 2>/dev/null || true
  kill $sim 2>/dev/null || true
  wait $sim 2>/dev/null || true
  sim=
}
# Stops the line (the simulator, with SIGSTOP) once the history folder under $1 holds a
# checksum line, if $2 is "silent".
silenceLineAfterFirstHistoryLine() {
  [ "$2" = silent ] || return 0
  until cat "$1"/hystory/*.hys 2>/dev/null | grep -q "Checksum"; do sleep 0.1; done
  kill -STOP $sim
}

window() { # $1: answering | silent
  startSimulator
  export PLM870_HOME="$work/window-$1"
  export PLM870_SCREENSHOT="$work/shot-$1.png" PLM870_SCREENSHOT_DELAY_MS=8000
  mkdir -p "$PLM870_HOME"
  LD_PRELOAD="$bin/libplm_silent_disk.so" "$bin/PLM870_Monitor" >/dev/null 2>"$work/window-$1.err" &
  monitor=$!
  silenceLineAfterFirstHistoryLine "$PLM870_HOME" "$1"
  while [ ! -e "$PLM870_SCREENSHOT" ] && kill -0 $monitor 2>/dev/null; do sleep 0.05; done
  shot=$(date +%s.%N)
  wait $monitor || true
  ended=$(date +%s.%N)
  echo "window, line $1: end after the screenshot: $(echo "$ended - $shot" | bc) s"
  grep "written to" "$work/window-$1.err" | sed "s/^/  stderr: /" | head -2
  stopSimulator
}

gateway() { # $1: answering | silent
  startSimulator
  export PLM870_HOME="$work/gateway-$1"
  mkdir -p "$PLM870_HOME"
  LD_PRELOAD="$bin/libplm_silent_disk.so" "$bin/plm870-gateway" --port COM1 --speed 9600 2>"$work/gateway-$1.err" &
  gateway=$!
  started=$(date +%s)
  silenceLineAfterFirstHistoryLine "$PLM870_HOME" "$1"
  left=$((30 - ($(date +%s) - started)))
  [ $left -le 0 ] || sleep $left
  asked=$(date +%s.%N)
  kill -TERM $gateway
  wait $gateway || true
  ended=$(date +%s.%N)
  echo "gateway, line $1: end after SIGTERM: $(echo "$ended - $asked" | bc) s"
  grep "written to" "$work/gateway-$1.err" | sed "s/^/  stderr: /" | head -2
  stopSimulator
}

for line in answering silent; do
  window $line
  gateway $line
done
