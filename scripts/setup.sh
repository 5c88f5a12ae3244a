#!/usr/bin/env bash
# Shared set-up for ./run and ./test: install the Debian packages Quillet needs
# (when we may), then configure and build into build/.
set -euo pipefail

QUILLET_PACKAGES=(cmake g++ make qt6-base-dev qt6-base-private-dev libgl-dev libx11-dev pkgconf libhunspell-dev hunspell-en-us fonts-dejavu-core poppler-utils libzip-dev)

missing_packages() {
  local pkg missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  echo "${missing[@]:-}"
}

install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "This is not a Debian-like system; please install: $*" >&2
    return 1
  fi
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
      sudo apt-get update -qq && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
      return
    fi
    echo "Quillet needs these Debian packages: $missing" >&2
    echo "Install them with: sudo apt-get install $missing" >&2
    return 1
  fi
  echo "Installing: $missing"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
}

quillet_build() {
  local dir=${QUILLET_BUILD_DIR:-build}
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
