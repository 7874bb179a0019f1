#!/usr/bin/env bash
# Starts the shipped 32-bit programs once each, end to end, on a machine that
# runs 32-bit programs only through qemu-user (far too slowly for the whole
# Windows suite):
#   - halvo-set.exe writes the file for the initial settings to standard output;
#   - Halvo.exe opens, "完了" writes set.txt, and the dialog closes (driven by
#     the end-to-end suite's own test, from a second process).
# Both files are compared with tests/golden/set-initial.txt.
#
#   tests/shipped/emulated_launch.sh BUILD_DIR      (a build tree of the mingw preset)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath "$1")
golden=$root/tests/golden/set-initial.txt
. "$root/scripts/lib/i386.sh"

support=$(i386_support)
if [ "$support" != emulated ]; then
  echo "emulated_launch: 32-bit programs are '$support' here, not emulated; scripts/install-deps --all registers qemu-user" >&2
  exit 1
fi

# One X display for the whole run: Wine's services and desktop start once.
if [ -z "${HALVO_LAUNCH_UNDER_XVFB:-}" ]; then
  HALVO_LAUNCH_UNDER_XVFB=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$build"
fi

export WINEPREFIX=$build/wineprefix-qemu
# Each wait of the driver stretched: every step of an emulated program is slow.
export HALVO_E2E_TIME_SCALE=${HALVO_E2E_TIME_SCALE:-20}
wine_run=$root/scripts/wine-run
work=$(mktemp -d)
finish() {
  "$wine_run" --kill
  rm -rf "$work"
}
trap finish EXIT
passed=0 failed=0
verdict() { # name, status
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "emulated_launch: $1: ok"; else failed=$((failed + 1)); echo "emulated_launch: $1: FAILED"; fi
}
elapsed() { echo "$(($(date +%s) - $1)) s"; }

# One server for the whole run keeps Wine's own services up from the
# prefix's creation to the last program, instead of starting them again
# (emulated, minutes each time) for every program.
"$wine_run" --persist
t=$(date +%s)
"$wine_run" --init
echo "emulated_launch: 32-bit prefix ready in $(elapsed "$t")"

t=$(date +%s)
status=0
"$wine_run" "$build/cli/halvo-set.exe" --date 2021-01-01 --time 00:00:00 --stdout >"$work/stdout.txt" || status=$?
[ "$status" -eq 0 ] && cmp "$work/stdout.txt" "$golden" || status=1
verdict "halvo-set.exe --stdout gives the golden file ($(elapsed "$t"))" "$status"

t=$(date +%s)
status=0
"$wine_run" "$build/tests/e2e/halvo_e2e.exe" --gtest_brief=1 \
  --gtest_filter='Apply.InitialSelectionsWriteTheFileAndTheDialogStaysOpen' || status=$?
verdict "Halvo.exe opens, \"完了\" writes the golden file, the dialog closes ($(elapsed "$t"))" "$status"

echo "emulated_launch: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
