#!/usr/bin/env bash
# Shared set-up of ./run and ./test: installs the Debian packages that are missing, configures and
# builds into build/. Source it; it sets TORVANE_BUILD to the build folder.
set -euo pipefail
TORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TORVANE_BUILD=${TORVANE_BUILD:-$TORVANE_ROOT/build}

torvane_install_missing() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Builds the given targets (everything when none is given).
torvane_build() {
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  local generator=()
  command -v ninja >/dev/null && [ ! -f "$TORVANE_BUILD/Makefile" ] && generator=(-G Ninja)
  cmake -S "$TORVANE_ROOT" -B "$TORVANE_BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DTORVANE_WERROR=$werror >/dev/null
  # With Ninja, Qt's code generators miss sources that a re-run of the folder globs has just
  # added ("ui_X.h: No such file"); making them look again costs little.
  rm -f "$TORVANE_BUILD"/*_autogen/timestamp "$TORVANE_BUILD"/tests/*_autogen/timestamp
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build "$TORVANE_BUILD" -j"$(nproc)" "${targets[@]}"
}

# Pictures are read with libjpeg, libpng, libwebp, libheif (HEIC, AVIF) and libtiff.
TORVANE_BUILD_PACKAGES=(cmake g++ ninja-build pkg-config qt6-base-dev libjpeg-dev liblcms2-dev libicu-dev
  libpng-dev libwebp-dev libheif-dev libtiff-dev libgl-dev libqt6svg6 qt6-webengine-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n librsvg2-bin
  dpkg-dev file terser)
TORVANE_TEST_PACKAGES=(googletest libgtest-dev chromium firefox-esr webkit2gtk-driver xvfb xauth
  xdotool desktop-file-utils appstream shared-mime-info clang-format git python3)
# Node.js may come from elsewhere than Debian (with its own npm): only install it when missing.
command -v node >/dev/null || TORVANE_TEST_PACKAGES+=(nodejs)
command -v npm >/dev/null || TORVANE_TEST_PACKAGES+=(npm)
