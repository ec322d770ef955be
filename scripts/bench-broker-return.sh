#!/usr/bin/env bash
# The time from a broker's start to the gateway's "online", with the gateway started first:
# the gateway is started against a free loopback port where nothing listens, the broker comes
# DOWN seconds later (default 10 and 40), and the script prints how long after the broker's
# start the gateway said "Connected to the broker" (it publishes "online" in the same step).
#   scripts/bench-broker-return.sh [build folder] [down seconds...]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build}/bin
shift || true
downs=${*:-10 40}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for down in $downs; do
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  printf 'listener %s 127.0.0.1\nallow_anonymous true\nlog_dest none\n' "$port" >"$work/mosquitto.conf"
  rm -f "$work/gateway.err"
  PLM870_HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
    "$bin/plm870-gateway" --port /dev/ttyNOPE --broker "127.0.0.1:$port" 2>"$work/gateway.err" & gateway=$!
  pids+=("$gateway")
  sleep "$down"
  start=$(date +%s.%N)
  mosquitto -c "$work/mosquitto.conf" & broker=$!; pids+=("$broker")
  for _ in $(seq 1200); do grep -q "Connected to the broker" "$work/gateway.err" && break; sleep 0.05; done
  online=$(date +%s.%N)
  grep -q "Connected to the broker" "$work/gateway.err" || { echo "no connection within 60 s"; cat "$work/gateway.err"; exit 1; }
  awk -v d="$down" -v s="$start" -v o="$online" \
    'BEGIN { printf "broker up %3s s after the gateway started: online %.1f s after the broker started\n", d, o - s }'
  kill "$gateway" "$broker"; wait "$gateway" "$broker" 2>/dev/null || true
done
