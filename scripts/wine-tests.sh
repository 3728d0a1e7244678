#!/usr/bin/env bash
# Runs the tests of a Windows cross-build (scripts/test.sh's last stage)
# under wine, in a fresh wine prefix inside the build folder, then, given
# the Linux pelkora, the table of commands that both programs must answer
# alike (scripts/wine-package-compare.sh), then the Windows dialog once in a
# window (scripts/wine-window-check.sh).
#
#   bash scripts/wine-tests.sh WINDOWS_BUILD [LINUX_pelkora]
#
# wine starts helper processes that outlive the program and keep whatever
# output they were given open: run in a pipe, the reader would wait for
# them for ever. So one wine server is started first and kept for the run,
# the prefix is made before the tests with its output going to files, and
# the server is stopped at the end whatever happens.
set -euo pipefail
build=$(cd "$1" && pwd)
linux_program=${2:+$(realpath "$2")}

wine_bin=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
logs=$build/wine-logs
mkdir -p "$logs"

"$wineserver_bin" -p >"$logs/wineserver.out" 2>&1
trap '"$wineserver_bin" -k >/dev/null 2>&1 || true' EXIT
"$wine_bin" wineboot -i >"$logs/wineboot.out" 2>&1

status=0
ctest --test-dir "$build" --output-on-failure >"$logs/ctest.out" 2>&1 || status=$?
cat "$logs/ctest.out"
# What each test program said of its cases, skipped ones with their reason.
grep -ahE '^\[  (PASSED|SKIPPED|FAILED) +\] [0-9]|^\[  SKIPPED \] [^ ]+$|^needs ' \
  "$build/Testing/Temporary/LastTest.log" | sort | uniq -c || true
# The dialog once in a window, with the same prefix and server. Before the
# comparison: wine's desktop process, once started by a program run without a
# display, keeps later windows off the check's X server.
if [ -f "$build/bin/pelkora-dialog.exe" ]; then
  bash "$(dirname "$0")/wine-window-check.sh" "$build" || status=1
fi
# The same commands as the Linux program, the same answers and bytes.
if [ -n "$linux_program" ] && [ -f "$build/bin/pelkora.exe" ]; then
  bash "$(dirname "$0")/wine-package-compare.sh" "$linux_program" "$build/bin/pelkora.exe" || status=1
fi
exit "$status"
