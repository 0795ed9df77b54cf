#!/usr/bin/env bash
# Builds Vettaro and runs every test headless.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh
BUILD_DIR=${VETTARO_BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel "$(nproc)"
