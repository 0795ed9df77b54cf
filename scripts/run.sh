#!/usr/bin/env bash
# Builds Vettaro and starts it; an optional database path is passed on.
set -euo pipefail
# A relative database name means the folder the script was started in: the
# build runs in the source tree, the program starts back in the caller's folder.
CALLER_DIR=$PWD
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh
BUILD_DIR=$(cd "${VETTARO_BUILD_DIR:-build}" && pwd)
cd "$CALLER_DIR"
# The browser window (Qt WebEngine) refuses to start its sandbox as root, and
# has no GPU on a virtual screen.
if [ "$(id -u)" -eq 0 ] || { [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; }; then
  export QTWEBENGINE_DISABLE_SANDBOX=${QTWEBENGINE_DISABLE_SANDBOX:-1}
  export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu --disable-background-networking --disable-component-update}
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting on a virtual X server (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD_DIR/bin/vettaro" "$@"
fi
exec "$BUILD_DIR/bin/vettaro" "$@"
