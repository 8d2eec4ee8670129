#!/usr/bin/env bash
# Set-up, release build, and the main job: starts the platform on a device folder and prints the
# device's state. The device folder is $CE_DEVICE_DIR (default: ./device).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja
cmake --build build -j "$jobs"
export CE_DEVICE_DIR=${CE_DEVICE_DIR:-$PWD/device}
exec build/tools/devicectl/devicectl "${@:-status}"
