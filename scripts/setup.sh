#!/usr/bin/env bash
# Installs the Debian packages Vettaro needs (only those missing), then
# configures and builds it into build/. Run by run.sh and test.sh;
# --list-packages only prints the packages.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-translations-l10n
  # The web import browser's page view.
  qt6-webengine-dev
  libsqlite3-dev sqlite3
  libgtest-dev
  poppler-utils
  # libxlsxwriter links zlib (-lz), yet its package does not bring zlib's.
  libxlsxwriter-dev zlib1g-dev unzip
  xvfb xauth
  fonts-dejavu-core fontconfig
  # Metric-compatible faces for "Arial" and "Times New Roman", the profile's default fonts.
  fonts-liberation2
)

# --list-packages prints the list, one a line, and does nothing else: the
# tests check every library the build links against it.
if [ "${1:-}" = "--list-packages" ]; then
  printf '%s\n' "${PACKAGES[@]}"
  exit 0
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

BUILD_DIR=${VETTARO_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
