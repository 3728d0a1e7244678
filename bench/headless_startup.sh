#!/usr/bin/env bash
# The headless program's start beside a program linked with the C++ runtime
# alone: what loading our libraries costs every command before it does any
# work. Each program runs 200 times; the figure is the mean of the best of
# five such rounds, with the libraries each one loads. --check reads the
# package of the shipped examples, made first by the same program.
# Usage: bench/headless_startup.sh [PELKORA_BINARY]
set -euo pipefail
pelkora=$(realpath "${1:-build/release/bin/pelkora}")
examples=$(realpath "$(dirname "$0")/../examples")
rounds=5
runs=200

root=$(mktemp -d "${TMPDIR:-/tmp}/pelkora-start.XXXXXX")
trap 'rm -rf "$root"' EXIT
cat >"$root/bare.cpp" <<'CPP'
#include <iostream>
int main() { std::cout << "bare\n"; }
CPP
${CXX:-g++} -O2 -o "$root/bare" "$root/bare.cpp"
mkdir -p "$root/work"
cp "$examples/advTimeSetting.ini" "$root/work/"
(cd "$root/work" && "$pelkora" --quiet --batch "$examples" && "$pelkora" --quiet --add "$examples"/*.gif "$examples"/*.png)

# The best round's mean, in microseconds.
best_us() {
  local best=
  for _ in $(seq $rounds); do
    local start end us
    start=$(date +%s%N)
    for _ in $(seq $runs); do "$@" >/dev/null 2>&1 || true; done
    end=$(date +%s%N)
    us=$(((end - start) / 1000 / runs))
    if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  echo "$best"
}

libraries() { LD_TRACE_LOADED_OBJECTS=1 "$1" 2>/dev/null | awk '{print $1}' | tr '\n' ' '; }

cd "$root/work"
bare=$(best_us "$root/bare")
check=$(best_us "$pelkora" --check)
version=$(best_us "$pelkora" --version)
echo "C++ runtime alone:      ${bare} us"
echo "pelkora --version:      ${version} us"
echo "pelkora --check (the examples' package): ${check} us"
echo "libraries of pelkora:   $(libraries "$pelkora" | grep -o 'lib[A-Za-z0-9_+-]*\.so[.0-9]*' | grep -v -E '^lib(c|m|gcc_s|stdc\+\+)\.so' | tr '\n' ' ')"
