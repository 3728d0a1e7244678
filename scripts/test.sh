#!/usr/bin/env bash
# Builds and runs the whole test suite: the normal build, the AddressSanitizer
# and UndefinedBehaviorSanitizer build, a ThreadSanitizer build of the
# threaded tests (playback, text pages), the fuzzers, the dialog in a real
# window under Xvfb, and a Windows cross-build of the portable core whose
# tests run under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}
step() { echo; echo "=== $*"; }

step "normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs"

step "AddressSanitizer and UndefinedBehaviorSanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELKORA_SANITIZE=ON -DPELKORA_BENCH=OFF >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs"

step "ThreadSanitizer build of the threaded tests"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELKORA_TSAN=ON -DPELKORA_GUI=OFF -DPELKORA_BENCH=OFF >/dev/null
cmake --build build/tsan -j"$jobs" --target test_picture test_output
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build/tsan --output-on-failure -R '^(Playback|TextPager)'

step "fuzzers, ${fuzz_seconds} s each"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELKORA_FUZZ=ON -DPELKORA_GUI=OFF -DPELKORA_TESTS=OFF -DPELKORA_BENCH=OFF >/dev/null
cmake --build build/fuzz -j"$jobs"
for fuzzer in build/fuzz/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  seeds=fuzz/corpus/${name%_fuzz}
  [ -d "$seeds" ] || seeds=
  "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=0 "$corpus" $seeds 2>&1 | tail -n 3
  rm -rf "$corpus"
done

step "the dialog in a real window"
bash scripts/window-check.sh build/release/bin/pelkora

step "Windows cross-build of the portable core, its tests under wine"
windows_start=$SECONDS
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DPELKORA_QT=OFF -DPELKORA_GUI=OFF -DPELKORA_BENCH=OFF -DPELKORA_GTEST_SOURCE=/usr/src/googletest >/dev/null
cmake --build build/windows -j"$jobs" --target test_core test_platform test_gif test_output test_decoders test_picture test_session test_sheet pelkora pelkora-dialog
bash scripts/wine-tests.sh build/windows build/release/bin/pelkora
echo "Windows stage: $((SECONDS - windows_start)) s"

echo
echo "stages: 6 passed, 0 failed"
