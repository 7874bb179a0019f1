#!/usr/bin/env bash
# Start-up benchmark for Halvo.exe under Wine: time to the dialog being
# visible, against a bare DialogBoxParamW program with the same template.
# (bench/size.sh measures the size and the imports.)
#
#   bench/startup.sh [BUILD_DIR] [RUNS]     (defaults: see below, 30)
#
# BUILD_DIR is a build tree of the mingw or mingw64 preset; the programs are
# (re)built there first. By default it is the build this machine runs at full
# speed: build/mingw (the shipped i686 programs) where 32-bit programs run,
# build/mingw64 (x86_64) where they don't; the first line says which. All launches happen in one Xvfb display and one Wine prefix
# (BUILD_DIR/wineprefix), alternating between the two programs, after warm-up
# launches that bring up the wineserver and Wine's desktop. Exits 1 when a
# budget is exceeded. HALVO_BENCH_SAMPLES=FILE keeps the raw samples.
# Other load on the machine widens the spread; run it on a quiet machine.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/i386.sh"
preset=$(windows_preset)
build=$(realpath -m "${1:-$root/build/$preset}")
runs=${2:-30}
warmup=${HALVO_BENCH_WARMUP:-3}
ratio_budget=1.2

# One X server for the whole run; re-enter under it.
if [ -z "${HALVO_BENCH_UNDER_XVFB:-}" ]; then
  HALVO_BENCH_UNDER_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$build" "$runs"
fi

[ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset "$preset" -B "$build" >/dev/null)
cmake --build "$build" -j2 --target Halvo bare_dialog wait_visible >/dev/null
arch=$(sed -n 's/^HALVO_MINGW_ARCH:[A-Z]*=//p' "$build/CMakeCache.txt")
echo "startup: the ${arch:-i686} build in $build (32-bit programs on this machine: $(i386_support))"
# shellcheck source=/dev/null
. "$build/bench/programs.sh"

export WINEPREFIX="$build/wineprefix"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

samples=$(mktemp)
trap 'rm -f "$samples"' EXIT
# wine-run creates the prefix on first use, before anything is timed.
launched=ok
"$root/scripts/wine-run" "$wait_exe" --runs "$runs" --warmup "$warmup" --title 'Mesk (JPN)' \
  "$(winpath "$halvo_exe")" "$(winpath "$bare_exe")" | tr -d '\r' >"$samples" || launched=
# Let Wine's desktop process end while its display is still there.
"$root/scripts/wine-run" --wait
[ -n "$launched" ] || { echo "startup: a launch failed, see above" >&2; exit 1; }

[ -z "${HALVO_BENCH_SAMPLES:-}" ] || cp "$samples" "$HALVO_BENCH_SAMPLES"

stats() { # program index -> "median min max" of its samples, in ms
  awk -v i="$1" '$1 == "sample" && $2 == i { print $3 }' "$samples" | sort -n |
    awk '{ v[NR] = $1 } END { if (NR == 0) exit 1
           m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m, v[1], v[NR] }'
}
read -r halvo_ms halvo_min halvo_max < <(stats 0)
read -r bare_ms bare_min bare_max < <(stats 1)
[ -n "$halvo_ms" ] && [ -n "$bare_ms" ] || { echo "startup: no samples" >&2; exit 1; }
ratio=$(awk -v a="$halvo_ms" -v b="$bare_ms" 'BEGIN { printf "%.3f", a / b }')
# Launches in the same round ran back to back, so their ratio is less
# affected by other load on the machine than the ratio of the medians.
paired=$(awk '$1 == "sample" { t[$2, ++n[$2]] = $3 }
              END { for (k = 1; k <= n[0] && k <= n[1]; ++k) print t[0, k] / t[1, k] }' "$samples" |
         sort -n | awk '{ v[NR] = $1 } END { printf "%.3f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')

ratio_ok=$(awk -v r="$ratio" -v b="$ratio_budget" 'BEGIN { print (r <= b) ? "ok" : "OVER BUDGET" }')

echo "start-up to visible dialog, median of $runs launches each (after $warmup warm-up):"
printf '  Halvo.exe          %8.1f ms   (min %.1f, max %.1f)\n' "$halvo_ms" "$halvo_min" "$halvo_max"
printf '  bare dialog        %8.1f ms   (min %.1f, max %.1f)\n' "$bare_ms" "$bare_min" "$bare_max"
printf '  ratio of medians   %8s      (budget <= %s): %s\n' "$ratio" "$ratio_budget" "$ratio_ok"
printf '  median paired ratio %7s\n' "$paired"
[ "$ratio_ok" = ok ]
