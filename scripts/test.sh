#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the unit, window,
# simulator and end-to-end tests, the Debian package and its checks, the
# same tests under the address and undefined behaviour sanitizers, and a
# short fixed run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
pelora_install_deps test

cmake --preset default
cmake --build --preset default
# axe-core checks the web remote's page in the browser test.
[ -f build/npm/node_modules/axe-core/axe.min.js ] ||
    npm install --silent --no-audit --no-fund --prefix build/npm axe-core@4
ctest --preset default

./scripts/package-check.sh

cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

cmake --preset fuzz
cmake --build --preset fuzz
for target in data_files:40000 frequency:100000 status_dump:5000 receive:1000; do
    name=${target%%:*}
    runs=${target##*:}
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    cp -n fuzz/seeds/$name/* "$corpus"/ 2>/dev/null || true
    echo "fuzz_$name: $runs runs"
    if ! QT_QPA_PLATFORM=offscreen build-fuzz/fuzz/fuzz_$name -runs="$runs" -max_len=4096 -detect_leaks=0 \
        -artifact_prefix=build-fuzz/ "$corpus" > build-fuzz/fuzz_$name.log 2>&1; then
        tail -n 40 build-fuzz/fuzz_$name.log
        echo "fuzz_$name found a crash"
        exit 1
    fi
    grep -E "^Done|stat::number_of_executed_units" build-fuzz/fuzz_$name.log || true
done
echo "All tests passed."
