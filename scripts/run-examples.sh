#!/usr/bin/env bash
# The main job: installs what is missing, builds the program and converts the
# shipped examples headless. The examples folder is the work directory, so
# its advTimeSetting.ini applies and the package lands in examples/adv.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh native
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)" --target pelkora
pelkora=$PWD/build/release/bin/pelkora

cd examples
# The start-up batch takes the BMP pictures and the texts; Add takes the rest.
"$pelkora" --batch .
"$pelkora" --add anim.gif logo.png
echo
echo "examples/adv now holds:"
ls adv
echo
echo "advertising.index:"
cat adv/advertising.index
echo
# What the device will show, checked and drawn before the package leaves.
"$pelkora" --check
"$pelkora" --preview --to preview.png
echo "examples/preview.png shows the whole package as the device shows it"
echo
echo "To open the dialog on the examples: (cd examples && $pelkora .)"
