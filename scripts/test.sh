#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
pelora_install_deps
cmake --preset default
cmake --build --preset default
ctest --preset default
