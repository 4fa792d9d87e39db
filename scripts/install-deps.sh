#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(
  build-essential ccache clang-format cmake ninja-build pkg-config dpkg-dev file
  qt6-base-dev qt6-tools-dev libgl-dev libsqlite3-dev zlib1g-dev libgtest-dev libgmock-dev
  clang libclang-rt-dev
  lintian xvfb xdotool sqlite3 poppler-utils
  postgresql libpq-dev
  dbus dbus-x11 at-spi2-core python3-pyatspi
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "error: missing packages (${missing[*]}) and no sudo to install them" >&2
  exit 1
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
