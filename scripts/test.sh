#!/usr/bin/env bash
# Installs, builds and runs every test headless. ORVITAL_SANITIZE=1 builds with ASan + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${ORVITAL_SANITIZE:-0}" = 1 ]; then
    scripts/setup.sh build-sanitize -DORVITAL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    build=build-sanitize
else
    scripts/setup.sh build
    build=build
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
