#!/usr/bin/env bash
# Builds Vettaro and starts it; an optional database path is passed on.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh
BUILD_DIR=${VETTARO_BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting on a virtual X server (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD_DIR/bin/vettaro" "$@"
fi
exec "$BUILD_DIR/bin/vettaro" "$@"
