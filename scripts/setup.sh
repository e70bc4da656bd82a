#!/usr/bin/env bash
# Installs the Debian packages Penmark needs to build and test, when any is missing.
# Sourced by ./test and ./run.
set -euo pipefail

PENMARK_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev libtiff-dev
  libtiff-tools ghostscript potrace python3 python3-fonttools python3-pil opentype-sanitizer imagemagick
  fonts-dejavu-core fonts-liberation2 fonts-freefont-ttf fonts-droid-fallback fonts-ipafont-gothic fonts-wqy-zenhei fonts-inter-variable fonts-sil-scheherazade fonts-noto-core fonts-linuxlibertine fonts-cantarell fonts-urw-base35
  qt6-base-dev libgl-dev libfontconfig-dev
  libpng-dev libjpeg62-turbo-dev librsvg2-dev zlib1g-dev libsane-dev libsane1 desktop-file-utils appstream qt6-translations-l10n
  libxkbcommon-dev libxkbregistry-dev xkb-data libx11-data libxcb1-dev xvfb xauth xdotool x11-utils
)

penmark_missing_packages() {
  local missing=()
  for pkg in "${PENMARK_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  echo "${missing[@]:-}"
}

penmark_setup() {
  local missing
  missing=$(penmark_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Penmark needs these Debian packages. Install them with:" >&2
    echo "  sudo apt-get install -y $missing" >&2
    exit 1
  fi
  echo "Installing: $missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
}
