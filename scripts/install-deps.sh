#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, skipping those
# already present. Runs as root (or through sudo).
#
#   install-deps.sh           everything the test suite needs
#   install-deps.sh native    what the Linux build needs, without the Windows
#                             cross-build's tool-chain and wine (about 1.3 GB)
#   install-deps.sh windows   only the Windows cross-build: MinGW-w64, wine,
#                             the GoogleTest sources, Xvfb and xdotool for
#                             the dialog's check, zip for the package
set -euo pipefail

windows_packages=(
  cmake ninja-build libgtest-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64
  libz-mingw-w64-dev
  xvfb x11-utils xdotool zip
)
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgif-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev
  libwebp-dev libtiff-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb x11-utils x11-apps xdotool
  fonts-dejavu-core fonts-wqy-microhei
)
case "${1:-}" in
  "") packages+=("${windows_packages[@]}") ;;
  native) ;;
  windows) packages=("${windows_packages[@]}") ;;
  *) echo "usage: install-deps.sh [native|windows]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

run_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

echo "install-deps: installing ${missing[*]}"
# A mirror that stumbles once should not fail the build: three tries.
for attempt in 1 2 3; do
  if run_as_root apt-get update -qq &&
     DEBIAN_FRONTEND=noninteractive run_as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
    exit 0
  fi
  echo "install-deps: attempt $attempt failed"
  sleep 5
done
exit 1
