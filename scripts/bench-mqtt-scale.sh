#!/usr/bin/env bash
# Scale of publishing: N gateways (default 8), each against its own simulated 16-block
# installation at 19200 baud, one broker on a free loopback port, one subscriber on everything.
# Prints the messages per second the subscriber received, the alarm events per gateway against
# the alarm lines of its history file (none may be lost), and the CPU seconds per wall second
# of the broker and of each gateway. The simulators refuse or corrupt a few replies (0.3 % each),
# so every gateway writes history entries, each of which is an alarm event.
#   scripts/bench-mqtt-scale.sh [build folder] [gateways] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build}/bin
n=${2:-8}
seconds=${3:-120}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\nlog_dest none\nmax_queued_messages 100000\n' "$port" >"$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" & broker=$!; pids+=("$broker")
for _ in $(seq 100); do (echo >/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done

cputicks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

"$bin/mqtt_count" "$port" $((seconds + 20)) 'scale/#' >"$work/count.txt" & counter=$!; pids+=("$counter")
sleep 1
gw=()
for i in $(seq 1 "$n"); do
  "$bin/plm870sim" --blocks 0-15 --baud 19200 --nak 0.003 --bad-checksum 0.003 --seed "$i" --link "$work/tty$i" >"$work/sim$i.log" 2>&1 & pids+=("$!")
done
for i in $(seq 1 "$n"); do
  for _ in $(seq 100); do [ -e "$work/tty$i" ] && break; sleep 0.1; done
  mkdir -p "$work/home$i"
  PLM870_HOME="$work/home$i" XDG_CONFIG_HOME="$work/home$i/config" \
    "$bin/plm870-gateway" --port "$work/tty$i" --speed 19200 --broker "127.0.0.1:$port" --prefix "scale/gw$i" \
    2>"$work/gw$i.log" & gw+=("$!"); pids+=("$!")
done
b0=$(cputicks "$broker"); declare -A g0
for p in "${gw[@]}"; do g0[$p]=$(cputicks "$p"); done
start=$(date +%s)
m0=$(tail -1 "$work/count.txt" | awk '{print $4}')
sleep "$seconds"
elapsed=$(( $(date +%s) - start ))
m1=$(tail -1 "$work/count.txt" | awk '{print $4}')
b1=$(cputicks "$broker"); declare -A g1
for p in "${gw[@]}"; do g1[$p]=$(cputicks "$p"); done
# Stopped before the subscriber, so every alarm a gateway wrote has had its chance to arrive.
for p in "${gw[@]}"; do kill -TERM "$p"; done
wait "${gw[@]}" 2>/dev/null || true
wait "$counter"
echo "== $n gateways x 16 blocks at 19200, one broker, one subscriber, ${elapsed} s (start-up reads included)"
awk -v a="$m0" -v b="$m1" -v s="$elapsed" 'BEGIN { printf "subscriber received %.1f messages/s\n", (b - a) / s }'
grep '^alarm events' "$work/count.txt" || echo "alarm events: none"
i=0
for p in "${gw[@]}"; do
  i=$((i + 1))
  lines=$(cat "$work/home$i"/hystory/*.hys 2>/dev/null | tail -n +3 | wc -l)
  awk -v i="$i" -v a="${g0[$p]}" -v b="${g1[$p]}" -v hz="$hz" -v s="$elapsed" -v l="$lines" \
    'BEGIN { printf "gateway %d: %.4f CPU s / wall s, %d history lines\n", i, (b - a) / hz / s, l }'
done
awk -v a="$b0" -v b="$b1" -v hz="$hz" -v s="$elapsed" 'BEGIN { printf "broker: %.4f CPU s / wall s\n", (b - a) / hz / s }'
wait "${gw[@]}" 2>/dev/null || true
