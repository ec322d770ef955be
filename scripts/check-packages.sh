#!/usr/bin/env bash
# Builds the Debian packages (scripts/package.sh) and checks them as a packager and a user see
# them: lintian, the desktop entry and the AppStream data, where the files go, the installed
# monitor showing live values of the simulator, the gateway's help, and a program of
# someone else's built against the -dev package that reads a block through the library.
# Everything runs from the packages' contents unpacked into a temporary root, never from the
# build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
build=${PLM_BUILD_DIR:-build/release}
started=$SECONDS

bash scripts/package.sh

tmp=$(mktemp -d)
root="$tmp/root"
sim_pid=""
stop_sim() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  sim_pid=""
}
cleanup() {
  stop_sim
  rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

fail() {
  echo "FAILED: $*" >&2
  exit 1
}
step() {
  echo "-- $* ($((SECONDS - started)) s)"
}

# Starts the unpacked simulator with the given options, its pseudo-terminal linked as $1.
start_sim() {
  local link=$1
  shift
  "$root/usr/bin/plm870sim" --link "$link" "$@" >"$tmp/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q '^PTY ' "$tmp/sim.out" 2>/dev/null && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$tmp/sim.out" >&2
  fail "the simulator did not start"
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

step "the four packages, each of version $version"
for package in plm870-monitor plm870-gateway libtobrelcomm3-3 libtobrelcomm3-dev; do
  deb="dist/${package}_${version}_$(dpkg --print-architecture).deb"
  [ -f "$deb" ] || fail "$deb was not built"
  [ "$(dpkg-deb -f "$deb" Package)" = "$package" ] || fail "$deb is not the package $package"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb does not carry the version $version"
  printf '   %-22s %6s KiB  installed %6s KiB  Depends: %s\n' "$package" "$(( $(stat -c %s "$deb") / 1024 ))" \
    "$(dpkg-deb -f "$deb" Installed-Size)" "$(dpkg-deb -f "$deb" Depends)"
done
depends() { dpkg-deb -f "dist/${1}_${version}_$(dpkg --print-architecture).deb" Depends; }
# The programs and the library's users depend on the library of the same version.
for package in plm870-monitor plm870-gateway libtobrelcomm3-dev; do
  [[ "$(depends $package)" == *"libtobrelcomm3-3 (= $version)"* ]] \
    || fail "$package does not depend on libtobrelcomm3-3 (= $version)"
done
# Dependencies found from the shared libraries actually linked.
[[ "$(depends plm870-monitor)" == *libqt6widgets6* ]] || fail "plm870-monitor lacks its Qt dependencies"
[[ "$(depends plm870-gateway)" == *libmosquitto1* ]] || fail "plm870-gateway lacks libmosquitto1"
[[ "$(depends plm870-gateway)" != *libqt6widgets6* ]] || fail "plm870-gateway depends on Qt Widgets"
[[ "$(depends libtobrelcomm3-3)" == *libqt6serialport6* ]] || fail "libtobrelcomm3-3 lacks libqt6serialport6"
[[ "$(depends plm870-gateway)" == *libmodbus5* ]] || fail "plm870-gateway lacks libmodbus5"

step "maintainer scripts"
control() { mkdir -p "$tmp/control/$1" && dpkg-deb -e "dist/${1}_${version}_$(dpkg --print-architecture).deb" "$tmp/control/$1"; }
for package in plm870-gateway libtobrelcomm3-3; do control $package; done
for script in postinst prerm postrm; do
  [ -x "$tmp/control/plm870-gateway/$script" ] || fail "plm870-gateway has no $script"
  sh -n "$tmp/control/plm870-gateway/$script" || fail "the $script of plm870-gateway is not sound shell"
done
grep -q "deb-systemd-invoke stop 'plm870-gateway.service'" "$tmp/control/plm870-gateway/prerm" \
  || fail "removing plm870-gateway does not stop the service"
grep -q "deb-systemd-helper purge 'plm870-gateway.service'" "$tmp/control/plm870-gateway/postrm" \
  || fail "purging plm870-gateway leaves the links of systemctl enable"
! grep -ls ldconfig "$tmp"/control/*/post* "$tmp"/control/*/pre* || fail "a maintainer script calls ldconfig"
grep -qx 'activate-noawait ldconfig' "$tmp/control/libtobrelcomm3-3/triggers" || fail "the library has no ldconfig trigger"

step "the service across install, enable, removal and purge (in a root of its own)"
# deb-systemd-helper and the scripts work on DPKG_ROOT, systemctl on --root: nothing of this
# machine's own systemd is touched.
sysroot="$tmp/sysroot"
mkdir -p "$sysroot/lib/systemd/system" "$sysroot/etc/systemd/system" "$sysroot/var/lib/systemd"
dpkg-deb --fsys-tarfile "dist/plm870-gateway_${version}_$(dpkg --print-architecture).deb" \
  | tar -x -C "$sysroot" ./lib/systemd/system/plm870-gateway.service
# systemd's own rating of the unit as the package installs it: 2.0 or below is "OK".
exposure=$(systemd-analyze security --offline=true --root="$sysroot" plm870-gateway.service 2>&1 \
  | sed -n 's/.*Overall exposure level for plm870-gateway.service: \([0-9.]*\).*/\1/p')
[ -n "$exposure" ] || fail "systemd-analyze security gave no rating of the unit"
echo "   systemd-analyze security: $exposure"
awk -v e="$exposure" 'BEGIN { exit !(e <= 2.0) }' || fail "the unit is rated $exposure by systemd-analyze security (more than 2.0)"
grep -qx 'RestartPreventExitStatus=2' "$sysroot/lib/systemd/system/plm870-gateway.service" \
  || fail "a bad configuration (exit status 2) would restart the service for ever"
gw_scripts="$tmp/control/plm870-gateway"
DPKG_ROOT="$sysroot" DPKG_MAINTSCRIPT_PACKAGE=plm870-gateway DPKG_MAINTSCRIPT_NAME=postinst \
  sh "$gw_scripts/postinst" configure
[ "$(stat -c %a "$sysroot/etc/plm870-gateway/mqtt-password" 2>/dev/null)" = 600 ] \
  || fail "the installed service has no password file of mode 0600"
systemctl --root="$sysroot" enable plm870-gateway.service >/dev/null 2>&1 || fail "systemctl enable failed"
[ -L "$sysroot/etc/systemd/system/multi-user.target.wants/plm870-gateway.service" ] || fail "enable made no link"
DPKG_ROOT="$sysroot" DPKG_MAINTSCRIPT_PACKAGE=plm870-gateway DPKG_MAINTSCRIPT_NAME=prerm \
  sh "$gw_scripts/prerm" remove
DPKG_ROOT="$sysroot" DPKG_MAINTSCRIPT_PACKAGE=plm870-gateway DPKG_MAINTSCRIPT_NAME=postrm \
  sh "$gw_scripts/postrm" remove
DPKG_ROOT="$sysroot" DPKG_MAINTSCRIPT_PACKAGE=plm870-gateway DPKG_MAINTSCRIPT_NAME=postrm \
  sh "$gw_scripts/postrm" purge
left=$(find "$sysroot/etc" -mindepth 1 ! -type d)
[ -z "$left" ] || fail "the purge left behind: $left"

step "lintian"
if ! lintian --fail-on error --no-tag-display-limit dist/*.deb >"$tmp/lintian.txt" 2>&1; then
  cat "$tmp/lintian.txt" >&2
  fail "lintian reports errors"
fi
grep -E '^[WIEP]:' "$tmp/lintian.txt" | sed 's/^/   /' || echo "   (no tags)"
! grep -E 'hardening-no-(fortify-functions|bindnow|relro|pie)|package-name-doesnt-match-sonames|maintscript-calls-ldconfig|groff-message' \
  "$tmp/lintian.txt" || fail "lintian finds the packages not built as Debian's policy asks"

step "unpacked into a temporary root"
for deb in dist/*.deb; do
  dpkg-deb -x "$deb" "$root"
done
outside=$(cd "$root" && find . -mindepth 1 ! -type d | sed 's|^\./||' | grep -Ev '^(usr/|lib/systemd/|etc/)' || true)
[ -z "$outside" ] || fail "files outside /usr, /lib/systemd and /etc: $outside"
[ -f "$root/lib/systemd/system/plm870-gateway.service" ] || fail "no systemd unit"
grep -q '^ExecStart=/usr/bin/plm870-gateway ' "$root/lib/systemd/system/plm870-gateway.service" \
  || fail "the unit does not start /usr/bin/plm870-gateway"
if command -v systemd-analyze >/dev/null; then
  unit_report=$(systemd-analyze verify --man=no --recursive-errors=no --root="$root" plm870-gateway.service 2>&1) \
    && [ -z "$unit_report" ] || fail "systemd finds fault with the unit: $unit_report"
fi
[ -f "$root/usr/share/plm870-monitor/help/PLM_MONITOR_US.html" ] || fail "no help pages"
[ -f "$root/usr/share/doc/plm870-monitor/help/PLM_MONITOR_US.html" ] \
  || fail "the documentation folder does not lead to the help pages"
libdir="$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
lib_version=$(sed -n 's/^Version: //p' "$libdir/pkgconfig/TobrelComm3.pc")
[ "$(readlink "$libdir/libTobrelComm3.so.3")" = "libTobrelComm3.so.$lib_version" ] \
  || fail "libTobrelComm3.so.3 does not lead to libTobrelComm3.so.$lib_version"
[ "$(objdump -p "$libdir/libTobrelComm3.so.3" | grep -c 'SONAME *libTobrelComm3.so.3$')" = 1 ] \
  || fail "the library's SONAME is not libTobrelComm3.so.3"
export LD_LIBRARY_PATH="$libdir"

step "desktop entry and AppStream data"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml \
  || fail "the AppStream release is not $version"

step "plm870-gateway --help from the unpacked root"
"$root/usr/bin/plm870-gateway" --help >"$tmp/gateway-help.txt" || fail "plm870-gateway --help failed"
grep -q '^Usage: plm870-gateway' "$tmp/gateway-help.txt" || fail "plm870-gateway --help prints no usage"
[[ "$(ldd "$root/usr/bin/plm870-gateway")" == *"$libdir/libTobrelComm3.so.3"* ]] \
  || fail "the gateway does not use the unpacked library"

step "PLM870_Monitor from the unpacked root, offscreen, against the unpacked simulator"
start_sim "$tmp/com1" --demo --baud 0 --trace "$tmp/frames"
find "$root" | sort >"$tmp/files-before"
mkdir -p "$tmp/home"
# No PLM870_HOME: the installed program keeps its data folders in the user's folder.
if ! env -u PLM870_HOME HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share" \
  QT_QPA_PLATFORM=offscreen PLM870_COM1="$tmp/com1" \
  PLM870_SCREENSHOT="$tmp/main-window.png" PLM870_SCREENSHOT_DELAY_MS=2000 PLM870_SCREENSHOT_TIMEOUT_MS=150000 \
  timeout 180 "$root/usr/bin/PLM870_Monitor" >"$tmp/monitor.out" 2>&1; then
  cat "$tmp/monitor.out" >&2
  fail "the installed monitor did not show live values"
fi
stop_sim
[ "$(head -c 8 "$tmp/main-window.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] \
  || fail "the monitor wrote no screenshot"
grep -q '^<STX>  "0080' "$tmp/frames" || fail "the monitor never read the process values of block 01"
find "$root" | sort >"$tmp/files-after"
diff "$tmp/files-before" "$tmp/files-after" >&2 || fail "the installed monitor wrote into its installed tree"
[ -d "$tmp/home/.local/share/TOBREL LUMIRAS/PLM-870 Monitor_us/hystory" ] \
  || fail "the installed monitor kept no history in the user's folder"
cp "$tmp/main-window.png" dist/screenshot-main-window.png
echo "   screenshot of the installed program: dist/screenshot-main-window.png"

step "the -dev package: public headers on their own, pkg-config"
export PKG_CONFIG_PATH="$libdir/pkgconfig"
[ "$(pkg-config --variable=prefix TobrelComm3)" = /usr ] || fail "the pkg-config file's prefix is not /usr"
[ "$(pkg-config --variable=includedir TobrelComm3)" = /usr/include ] || fail "the pkg-config file's includedir is not /usr/include"
# The headers come from the unpacked root; everything else pkg-config names is the system's.
pc_cflags="-I$root/usr/include $(pkg-config --cflags TobrelComm3)"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  zcat "$page" | head -1 | grep -Eq '^\.TH [^ ]+ 1 "[0-9]{4}-[0-9]{2}-[0-9]{2}"' || fail "$(basename "$page") carries no date"
done
! grep -rl '[.]example' "$root/usr/share/metainfo" "$root/usr/share/doc"/*/copyright || fail "a placeholder address is installed"
for header in "$root"/usr/include/TobrelComm3/*.h; do
  echo "#include <TobrelComm3/$(basename "$header")>" \
    | g++ -std=c++17 -fPIC -fsyntax-only -x c++ $pc_cflags - || fail "$(basename "$header") does not stand on its own"
done

step "a program built against the -dev package with find_package reads a block"
cmake -S tests/consumer -B "$tmp/consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$root/usr" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$tmp/consumer.log" 2>&1 || { cat "$tmp/consumer.log" >&2; fail "the consumer does not configure"; }
grep -q "^TobrelComm3_DIR:PATH=$libdir/cmake/TobrelComm3$" "$tmp/consumer/CMakeCache.txt" \
  || fail "the consumer did not find the unpacked TobrelComm3 package"
cmake --build "$tmp/consumer" >>"$tmp/consumer.log" 2>&1 || { cat "$tmp/consumer.log" >&2; fail "the consumer does not build"; }
# Block 04 of the demo installation: channels of several input types and one unfitted pair.
block=3
start_sim "$tmp/com2" --demo --baud 0 --reply-trace "$tmp/replies"
"$tmp/consumer/read_block" "$tmp/com2" "$block" 0080 >"$tmp/values.txt" || fail "the consumer could not read block $block"
stop_sim
# The values the simulator sent: the 20 fields of its reply, four hex digits each.
address=$(printf "\\$(printf %o $((32 + block)))")
reply=$(grep -m1 -F "<ACK>$address \"0080" "$tmp/replies") || fail "the simulator sent no reply to the read"
data=${reply#"<ACK>$address \"0080"}
for i in $(seq 0 19); do
  v=$((16#${data:$((i * 4)):4}))
  [ "$v" -lt 32768 ] || v=$((v - 65536))
  echo "$v"
done >"$tmp/sent.txt"
diff "$tmp/sent.txt" "$tmp/values.txt" >&2 || fail "the consumer's values differ from the simulator's"
echo "   block $block, item 0080: $(tr '\n' ' ' <"$tmp/values.txt")"

step "packages checked"
