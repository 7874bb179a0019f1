#!/usr/bin/env bash
# Size of Halvo.exe against its floor: a bare DialogBoxParamW program linked
# with the same dialog resources (bare_dialog), both stripped as released.
# Then where Halvo.exe's bytes go (bench/size_report.py): by section, by origin
# and by object file against the floor, and its largest symbols, from the
# linker's maps of both links. Also runs the shipped programs' checks
# (tests/shipped/check_programs.py: 32-bit, only DLLs that come with Windows,
# ...), and reports halvo-set.exe's stripped size.
#
#   bench/size.sh [BUILD_DIR]     (default: build/mingw, a build of the mingw preset)
#
# Exits 1 when Halvo.exe is over its budget, budget_percent of the floor, or
# fails those checks.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/mingw}")
budget_percent=135

[ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset mingw -B "$build" >/dev/null)
cmake --build "$build" -j2 --target Halvo bare_dialog halvo-set >/dev/null
# shellcheck source=/dev/null
. "$build/bench/programs.sh"
prefix=$(sed -n 's/^CMAKE_STRIP:FILEPATH=\(.*\)strip$/\1/p' "$build/CMakeCache.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stripped() { "${prefix}strip" -o "$work/$2" "$1" && stat -c %s "$work/$2"; }
floor=$(stripped "$bare_exe" floor.exe)
halvo=$(stripped "$halvo_exe" Halvo.exe)
cli=$(stripped "$(dirname "$halvo_exe")/../cli/halvo-set.exe" halvo-set.exe)
budget=$((floor * budget_percent / 100))

kib() { awk -v b="$1" 'BEGIN { printf "%.1f KiB", b / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
size_ok=$([ "$halvo" -le "$budget" ] && echo ok || echo "OVER BUDGET")
programs_ok=$(/usr/bin/python3 "$root/tests/shipped/check_programs.py" "$build" >"$work/programs.log" 2>&1 && echo ok ||
              { cat "$work/programs.log" >&2; echo "FAILED"; })
printf 'floor (bare dialog)  %8d bytes = %s\n' "$floor" "$(kib "$floor")"
printf 'Halvo.exe            %8d bytes = %s, %s x the floor (budget <= %s x = %d bytes): %s\n' \
  "$halvo" "$(kib "$halvo")" "$(ratio "$halvo" "$floor")" "$(ratio "$budget_percent" 100)" "$budget" "$size_ok"
printf '  shipped programs checks (tests/shipped/check_programs.py): %s\n' "$programs_ok"
printf 'halvo-set.exe        %8d bytes = %s\n' "$cli" "$(kib "$cli")"
echo
/usr/bin/python3 "$root/bench/size_report.py" "$work/Halvo.exe" "${halvo_exe%.exe}.map" \
  "$work/floor.exe" "${bare_exe%.exe}.map" | sed 's/^/  /'
[ "$size_ok$programs_ok" = okok ]
