#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test; builds the
# Debian packages from that build and checks them; then builds again with the address and
# undefined-behaviour sanitizers and runs every test there too; then gives each fuzzer a short
# run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Compiled objects are kept in ccache's own folder (~/.cache/ccache unless CCACHE_DIR says
# otherwise), outside the checkout, so a later run or a fresh clone on this machine compiles
# only what changed. Paths are hashed relative to the checkout, and the build folder is left
# out of the hash of objects with debug information, so a clone in another folder hits too.
export CCACHE_BASEDIR="$PWD"
export CCACHE_NOHASHDIR=true
cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

echo "== build (warnings are errors)"
# Configured for /usr as scripts/package.sh configures it, so packaging builds nothing again.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLM_WERROR=ON \
  -DCMAKE_INSTALL_PREFIX=/usr "${cache[@]}" >/dev/null
cmake --build build/release -j "$jobs"
echo "== the shape of the code (no file reaches up a layer, no circle of files)"
python3 scripts/check-file-graph.py --circles-fail . build/release
echo "== tests"
ctest --test-dir build/release --output-on-failure -j "$jobs" --timeout 600

if [ "${PLM_SKIP_PACKAGES:-0}" != "1" ]; then
  echo "== packages"
  timeout 900 bash scripts/check-packages.sh
fi

if [ "${PLM_SKIP_SANITIZERS:-0}" != "1" ]; then
  echo "== build with address and undefined-behaviour sanitizers"
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLM_WERROR=ON -DPLM_SANITIZE=ON "${cache[@]}" >/dev/null
  cmake --build build/asan -j "$jobs"
  echo "== tests under sanitizers"
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 900
fi

if [ "${PLM_SKIP_TSAN:-0}" != "1" ]; then
  # The tests whose work crosses the line thread or the disk writer's (the poll, the port probe
  # and the port dialog, the start-up read, the editor's writes, the gateway), built with the
  # thread sanitizer: any data race between the window's thread and those threads fails them.
  echo "== tests across the line thread under the thread sanitizer"
  tsan_tests=(tst_comm_line_thread tst_comm_simulated_time tst_comm_port_probe tst_comm_startup_read
              tst_ui_screen_follows_line tst_ui_dialogs tst_ui_setting_editor tst_gateway)
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLM_WERROR=ON -DPLM_SANITIZE_THREAD=ON "${cache[@]}" >/dev/null
  cmake --build build/tsan -j "$jobs" --target "${tsan_tests[@]}"
  TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
    ctest --test-dir build/tsan --output-on-failure -j "$jobs" --timeout 900 \
      -R '^(comm_line_thread|comm_simulated_time|comm_port_probe|comm_startup_read|ui_screen_follows_line|ui_dialogs|ui_setting_editor|gateway_gateway)$'
fi

if [ "${PLM_SKIP_FUZZ:-0}" != "1" ] && command -v clang++ >/dev/null; then
  echo "== fuzzers (short run)"
  CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLM_FUZZ=ON "${cache[@]}" >/dev/null
  cmake --build build/fuzz -j "$jobs" --target fuzzers
  # Inputs that once broke a fuzzer run first; then a fixed seed and a fixed number of runs,
  # so that a run's verdict never depends on luck or on the machine's speed.
  for f in build/fuzz/bin/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    echo "-- $f"
    for kept in fuzz/*/regressions/"$name"/*; do
      [ -f "$kept" ] || continue
      "$f" "$kept" >build/fuzz/$name.log 2>&1 || { tail -40 build/fuzz/$name.log; exit 1; }
    done
    "$f" -seed="${PLM_FUZZ_SEED:-1}" -runs="${PLM_FUZZ_RUNS:-200000}" -print_final_stats=0 \
      >/dev/null 2>build/fuzz/$name.log || { tail -40 build/fuzz/$name.log; exit 1; }
  done
fi
ccache --show-stats 2>/dev/null | grep -E "Hits|Misses" || true
echo "== all tests passed"
