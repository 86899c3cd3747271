#!/usr/bin/env bash
# Builds and starts Pelora. When no serial link COM<n> is set up beside the
# program, the hi-fi system simulator is started on a pseudo-terminal first,
# so the window has a device to talk to.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
pelora_install_deps run
# The tests' frameworks are the test command's: not needed to run.
cmake --preset default -DPELORA_TESTS=OFF >/dev/null
cmake --build --preset default --target pelora pelora-sim
dir=build
port=$(head -n1 "$dir/config.dat" 2>/dev/null | tr -d '\r' | cut -d, -f1)
port=${port:-1}
sim_pid=""
if [ ! -e "$dir/COM$port" ] && [ ! -L "$dir/COM$port" ]; then
    "$dir/pelora-sim" --dir "$dir" --port "$port" --log "$dir/pelora-sim.log" &
    sim_pid=$!
    for _ in $(seq 50); do [ -L "$dir/COM$port" ] && break; sleep 0.1; done
    echo "Simulator started on $dir/COM$port (log: $dir/pelora-sim.log)"
fi
status=0
"$dir/pelora" || status=$?
[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
exit $status
