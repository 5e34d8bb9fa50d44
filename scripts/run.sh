#!/usr/bin/env bash
# Installs, builds and starts the program. Without a meter attached it runs on the built-in
# virtual meter; pass --port /dev/ttyUSB0 (or any device) to use a real line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build >/dev/null
args=("$@")
[ ${#args[@]} -gt 0 ] || args=(--port virtual)
exec build/src/app/orvital-config "${args[@]}"
