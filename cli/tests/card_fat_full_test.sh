#!/usr/bin/env bash
# halvo-set on a full FAT card, as a camera formats it: a small FAT image on a
# loop device, filled to the last cluster, inside a private mount namespace.
# With a set.txt there, the new bytes go into its own room; without one the
# write fails as "full" and leaves nothing behind.
#   card_fat_full_test.sh HALVO_SET
# Exits 77 (skipped) where a FAT image cannot be made or mounted, saying why.
set -euo pipefail
program=$(realpath "$1")

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "mounting needs root"
command -v mkfs.vfat >/dev/null || skip "mkfs.vfat is missing (Debian package dosfstools)"
unshare -m --propagation private true 2>/dev/null || skip "no mount namespaces here"
grep -qw vfat /proc/filesystems || modprobe vfat 2>/dev/null || skip "this kernel has no vfat file system"

export program
exec unshare -m --propagation private bash -euo pipefail -c '
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
card=$work/card
trap "umount \"\$card\" 2>/dev/null || true; rm -rf \"\$work\"" EXIT
mkdir "$card"
truncate -s 1M "$work/card.img"
mkfs.vfat "$work/card.img" >/dev/null
mount -o loop "$work/card.img" "$card" || { echo "SKIP: cannot mount a FAT image on a loop device"; exit 77; }
args=(--date 2030-06-15 --time 12:00:00)

# Fills every free cluster of the card.
fill() { dd if=/dev/zero of="$card/RECORD.MP4" bs=4k 2>/dev/null || true; sync; }

printf "previous set.txt\r\n" >"$card/set.txt"
fill
if printf x >"$card/probe" 2>/dev/null && [ -s "$card/probe" ]; then fail "the FAT card is not full"; fi
rm -f "$card/probe"
out=$("$program" -o "$card" "${args[@]}" 2>&1) || fail "full FAT card with set.txt: $out"
"$program" "${args[@]}" --stdout | cmp -s - "$card/set.txt" || fail "full FAT card: set.txt is not the new file"
[ "$(ls -A "$card" | tr "\\n" " ")" = "RECORD.MP4 set.txt " ] || fail "full FAT card: left $(ls -A "$card")"

rm "$card/set.txt" "$card/RECORD.MP4"
fill
status=0
err=$("$program" -o "$card" "${args[@]}" 2>&1 >/dev/null) || status=$?
[ "$status" = 1 ] || fail "full FAT card without set.txt: exit status $status"
[ "$err" = "halvo-set: could not write $card/set.txt: the card is full; make room on it; any earlier set.txt there is unchanged" ] ||
  fail "full FAT card without set.txt: $err"
[ "$(ls -A "$card")" = RECORD.MP4 ] || fail "full FAT card without set.txt: left $(ls -A "$card")"
echo "card_fat_full_test: 2 passed, 0 failed"
'
