#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 into build/windows/ and
# packs them into dist/pelkora-windows-x64.zip: both programs (statically
# linked: no DLL has to travel with them), the README, the licence texts of
# what is linked in, and the examples. Installs what is missing first.
#
#   bash scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh windows

# The options of the test suite's Windows stage, so that both share the folder.
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DPELKORA_QT=OFF -DPELKORA_GUI=OFF -DPELKORA_BENCH=OFF -DPELKORA_GTEST_SOURCE=/usr/src/googletest >/dev/null
programs=(pelkora-dialog)
if cmake --build build/windows --target help | grep -q '^pelkora:'; then
  programs=(pelkora "${programs[@]}")
fi
cmake --build build/windows -j"$(nproc)" --target "${programs[@]}"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top=$stage/pelkora
mkdir -p "$top/licences"
for program in "${programs[@]}"; do
  x86_64-w64-mingw32-strip -o "$top/$program.exe" "build/windows/bin/$program.exe"
done
cp README.md "$top/README.md"
cp -r examples "$top/examples"
rm -rf "$top/examples/adv" "$top/examples/preview.png"
# What the static link carries: the C++ runtime (GCC's runtime library
# exception), the MinGW-w64 C runtime and threads, and zlib in the headless
# program's PNG writer.
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$top/licences/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$top/licences/mingw-w64.txt"
if [[ " ${programs[*]} " == *" pelkora "* ]]; then
  cp /usr/share/doc/libz-mingw-w64/copyright "$top/licences/zlib.txt"
fi

mkdir -p dist
rm -f dist/pelkora-windows-x64.zip
(cd "$stage" && zip -qr9 - pelkora) >dist/pelkora-windows-x64.zip.part
mv dist/pelkora-windows-x64.zip.part dist/pelkora-windows-x64.zip
echo "build-windows: dist/pelkora-windows-x64.zip ($(stat -c %s dist/pelkora-windows-x64.zip) bytes): ${programs[*]}"
