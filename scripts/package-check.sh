#!/usr/bin/env bash
# Builds the Debian package from the packaging preset (the program only, no
# tests) and checks it as a distribution would: lintian (errors and
# warnings fail), the AppStream metainfo and the desktop entry. As root it
# also installs the package, runs the installed programs and removes it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset package >/dev/null
cmake --build --preset package
rm -f build-package/pelora_*.deb
cpack --preset package >/dev/null
deb=$(echo build-package/pelora_*.deb)
echo "package: $deb, $(stat -c %s "$deb") bytes"

lintian --allow-root --fail-on error,warning --info "$deb"
appstreamcli validate --no-net data/*.metainfo.xml
desktop-file-validate data/pelora.desktop

if [ "$(id -u)" -ne 0 ]; then
    echo "Not root: the package was not installed."
    exit 0
fi
if dpkg-query -W -f='${Status}' pelora 2>/dev/null | grep -q "install ok installed"; then
    echo "A pelora package is installed already; not touching it."
    exit 0
fi
dpkg -i "$deb"
tmp=$(mktemp -d)
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$tmp"
    if dpkg-query -W -f='${Status}' pelora 2>/dev/null | grep -q "install ok installed"; then dpkg -r pelora >/dev/null; fi
}
trap cleanup EXIT
/usr/bin/pelora-sim --help >/dev/null
man -w pelora
man -w pelora-sim
# "pelora-sim & pelora" with no options: both use the user's data directory.
export XDG_DATA_HOME=$tmp/data XDG_STATE_HOME=$tmp/state
/usr/bin/pelora-sim >"$tmp/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [ -L "$XDG_DATA_HOME/pelora/COM1" ] && break; sleep 0.1; done
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/pelora || true
grep -q "received 0:7" "$tmp/sim.log" || { cat "$tmp/sim.log"; echo "installed pelora did not reach installed pelora-sim"; exit 1; }
echo "installed pelora reached installed pelora-sim in $XDG_DATA_HOME/pelora"
kill "$sim_pid"; wait "$sim_pid" || true; sim_pid=""

dpkg -r pelora
left=""
for f in $(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\./, "", $6); print $6}'); do
    [ -e "$f" ] && left="$left $f"
done
[ -z "$left" ] || { echo "left behind by dpkg -r:$left"; exit 1; }
echo "package installed, ran and removed cleanly"
