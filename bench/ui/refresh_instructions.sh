#!/usr/bin/env bash
# Instructions per page refresh, counted by callgrind (the same count on every run, unlike a
# time): SelectDispItem alone, and with the repaint that follows it, for each tab in the
# steady case (nothing changed) and the one-block case (the poll cycle's share of changes).
# Usage: bench/ui/refresh_instructions.sh [folder with bench_refresh] (default build/release/bin)
#        PLM870_BENCH_REFRESHES refreshes per run (default 50), PLM870_BENCH_CASES the cases
#        (default "steady oneblock").
set -euo pipefail
bin=${1:-build/release/bin}
refreshes=${PLM870_BENCH_REFRESHES:-50}
cases=${PLM870_BENCH_CASES:-steady oneblock}
[ -x "$bin/bench_refresh" ] || { echo "no $bin/bench_refresh; build it first" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "valgrind is needed (apt-get install valgrind)" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

echo "== refresh_instructions ($refreshes refreshes a run, offscreen, callgrind)"
printf '%-10s %-4s %16s %24s\n' case tab "SelectDispItem" "with the repaint after it"
for c in $cases; do
  for tab in 0 1 2 3 4; do
    out="$tmp/callgrind.$c.$tab"
    PLM870_BENCH_ONLY="$c:$tab" PLM870_BENCH_REFRESHES=$refreshes QT_QPA_PLATFORM=offscreen \
      valgrind --tool=callgrind --toggle-collect='*refreshAndRepaint*' --callgrind-out-file="$out" \
      "$bin/bench_refresh" >/dev/null 2>"$tmp/valgrind.log" || { cat "$tmp/valgrind.log" >&2; exit 1; }
    total=$(awk '/^totals:/ { print $2 }' "$out")
    refresh=$(callgrind_annotate --inclusive=yes "$out" 2>/dev/null |
      awk '/MainDisp::SelectDispItem\(\)/ && !n++ { gsub(",", "", $1); print $1 }')
    printf '%-10s %-4s %16.0f %24.0f\n' "$c" "$tab" "$((${refresh:-0} / refreshes))" "$((total / refreshes))"
  done
done
