#!/usr/bin/env bash
# Time from `apt install ./dist/*.deb` to the monitor's port dialog on the screen, on a Debian 12
# root under Xvfb, and what the install costs. Run as root, after scripts/package.sh.
#   bench/packages/install_to_port_dialog.sh DIR     a fresh root, for example one made by
#                                                   debootstrap --variant=minbase bookworm DIR
#   bench/packages/install_to_port_dialog.sh --host  this machine (the packages are removed again)
# PLM_DEBS names the packages to install (default: dist/*.deb, -dev package and Qt's headers
# included); PLM_DEBS="dist/plm870-monitor_*.deb dist/libtobrelcomm3_*.deb" is an operator's PC.
# The root has no serial port the monitor can open, so it shows the port dialog
# ("Communication environment setting display") once its main window has loaded.
set -euo pipefail
cd "$(dirname "$0")/../.."
target=${1:?"give a root folder or --host"}
read -r -a debs <<<"$(echo ${PLM_DEBS:-dist/*.deb})"
[ -e "${debs[0]}" ] || { echo "no packages in dist/: run scripts/package.sh" >&2; exit 1; }

display=:$((90 + RANDOM % 9))
xvfb_pid=""
monitor_pid=""
mounted=()
cleanup() {
  [ -z "$monitor_pid" ] || kill "$monitor_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[$i]}" 2>/dev/null || umount -l "${mounted[$i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT INT TERM

Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xwininfo -root -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

if [ "$target" = "--host" ]; then
  run() { env "$@"; }
  home=$(mktemp -d)
else
  [ -x "$target/usr/bin/apt-get" ] || { echo "$target is no Debian root" >&2; exit 1; }
  for m in proc dev tmp/.X11-unix; do
    mkdir -p "$target/$m"
    case $m in proc) mount -t proc proc "$target/proc" ;; *) mount --bind "/$m" "$target/$m" ;; esac
    mounted+=("$target/$m")
  done
  mkdir -p "$target/root/debs"
  rm -f "$target"/root/debs/*.deb
  cp "${debs[@]}" "$target/root/debs/"
  run() { chroot "$target" env "$@"; }
  home=/root
fi
if [ "$target" = "--host" ]; then
  to_install=("${debs[@]/#/./}")
else
  to_install=("${debs[@]/#dist\//\/root\/debs\/}")
fi

start=$(date +%s.%N)
run DEBIAN_FRONTEND=noninteractive apt-get install -y "${to_install[@]}" >/tmp/install_to_port_dialog.apt 2>&1 \
  || { cat /tmp/install_to_port_dialog.apt >&2; exit 1; }
installed=$(date +%s.%N)
run DISPLAY="$display" HOME="$home" XDG_RUNTIME_DIR=/tmp PLM870_Monitor >/tmp/install_to_port_dialog.out 2>&1 &
monitor_pid=$!
until xwininfo -root -tree -display "$display" 2>/dev/null | grep -q '"Communication environment setting display"'; do
  kill -0 "$monitor_pid" 2>/dev/null || { cat /tmp/install_to_port_dialog.out >&2; exit 1; }
  sleep 0.05
done
shown=$(date +%s.%N)
kill "$monitor_pid"; wait "$monitor_pid" 2>/dev/null || true; monitor_pid=""

echo "apt: $(grep -E '^(Need to get|After this operation)' /tmp/install_to_port_dialog.apt | tr '\n' ' ')"
echo "installed size of the packages: $(run dpkg-query -W -f='${Package} ${Installed-Size} KiB\n' \
  plm870-monitor plm870-gateway libtobrelcomm3 libtobrelcomm3-dev 2>/dev/null | tr '\n' ';')"
awk -v a="$start" -v b="$installed" -v c="$shown" \
  'BEGIN { printf "apt install: %.1f s; start to port dialog: %.1f s; together: %.1f s\n", b - a, c - b, c - a }'
if [ "$target" = "--host" ]; then
  DEBIAN_FRONTEND=noninteractive apt-get purge -y plm870-monitor plm870-gateway libtobrelcomm3 libtobrelcomm3-dev >/dev/null
  rm -rf "$home"
fi
