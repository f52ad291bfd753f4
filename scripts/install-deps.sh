#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need (the packaging test:
# the desktop entry and AppStream checkers, man, the Debian package tools), when any is missing.
# Quiet and quick when everything is already there.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils            # pdftotext and pdfinfo: the tests read back exported PDF files
  qt6-svg-dev
  desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db groff-base dpkg-dev file
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "Missing packages (${missing[*]}) and no root or sudo to install them." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
