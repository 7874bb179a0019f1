#!/usr/bin/env bash
# Size of Halvo.exe against its floor: a bare DialogBoxParamW program linked
# with the same dialog resources (bare_dialog), both stripped as released.
# Also checks that Halvo.exe is still one static 32-bit GUI program importing
# only DLLs that come with Windows, and reports halvo-set.exe's stripped size.
#
#   bench/size.sh [BUILD_DIR]     (default: build/mingw, a build of the mingw preset)
#
# Exits 1 when Halvo.exe is over twice the floor or imports anything else.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/mingw}")
budget_ratio=2

[ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset mingw -B "$build" >/dev/null)
cmake --build "$build" -j2 --target Halvo bare_dialog halvo-set >/dev/null
# shellcheck source=/dev/null
. "$build/bench/programs.sh"
prefix=$(sed -n 's/^CMAKE_STRIP:FILEPATH=\(.*\)strip$/\1/p' "$build/CMakeCache.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stripped_size() { "${prefix}strip" -o "$work/s" "$1" && stat -c %s "$work/s"; }
floor=$(stripped_size "$bare_exe")
halvo=$(stripped_size "$halvo_exe")
cli=$(stripped_size "$(dirname "$halvo_exe")/../cli/halvo-set.exe")
budget=$((floor * budget_ratio))

header=$("${prefix}objdump" -p "$halvo_exe")
format=$(sed -n 's/.*file format //p' <<<"$header" | head -n 1)
subsystem=$(sed -n 's/^Subsystem.*(\(.*\))$/\1/p' <<<"$header")
dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$header" | sort -f)
foreign=$(grep -vixF -f "$root/bench/system-dlls.txt" <<<"$dlls" || true)

kib() { awk -v b="$1" 'BEGIN { printf "%.1f KiB", b / 1024 }'; }
size_ok=$([ "$halvo" -le "$budget" ] && echo ok || echo "OVER BUDGET")
dlls_ok=$([ -z "$foreign" ] && echo ok || echo "NOT ONLY SYSTEM DLLS: $(echo $foreign)")
printf 'floor (bare dialog)  %8d bytes = %s\n' "$floor" "$(kib "$floor")"
printf 'Halvo.exe            %8d bytes = %s, %s x the floor (budget <= %d x = %d bytes): %s\n' \
  "$halvo" "$(kib "$halvo")" "$(awk -v a="$halvo" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')" \
  "$budget_ratio" "$budget" "$size_ok"
printf '  %s, %s, imports %s: %s\n' "$format" "$subsystem" "$(echo $dlls)" "$dlls_ok"
printf 'halvo-set.exe        %8d bytes = %s\n' "$cli" "$(kib "$cli")"
[ "$size_ok$dlls_ok" = okok ]
