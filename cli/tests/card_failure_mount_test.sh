#!/usr/bin/env bash
# halvo-set on a full card and a read-only one, on real tmpfs mounts inside a
# private mount namespace so that nothing outlives the test. A full card with
# a set.txt on it takes the new bytes in set.txt's own room; every other case
# must fail with status 1, name the cause and leave set.txt as it was.
#   card_failure_mount_test.sh HALVO_SET
# Exits 77 (skipped) where mounting is not allowed, saying why.
set -euo pipefail
program=$(realpath "$1")

if [ "$(id -u)" -ne 0 ]; then echo "SKIP: mounting needs root"; exit 77; fi
if ! unshare -m --propagation private true 2>/dev/null; then echo "SKIP: no mount namespaces here"; exit 77; fi

export program
exec unshare -m --propagation private bash -euo pipefail -c '
fail() { echo "FAIL: $*" >&2; exit 1; }
card=$(mktemp -d)
# The mounts end with the namespace; the folder stays unless removed.
trap "umount \"\$card\" 2>/dev/null || true; rmdir \"\$card\"" EXIT
previous="previous set.txt, must stay as it is"
passed=0

# Runs halvo-set -o on the card, expecting status 1 and exactly this message.
expect_refusal() {
  local what=$1 message=$2 err status=0
  err=$("$program" -o "$card" --date 2030-06-15 --time 12:00:00 2>&1 >/dev/null) || status=$?
  [ "$status" = 1 ] || fail "$what: exit status $status"
  [ "$err" = "halvo-set: could not write $card/set.txt: $message" ] || fail "$what: $err"
  passed=$((passed + 1))
}
# set.txt as it was, and nothing new beside it.
expect_previous() {
  [ "$(cat "$card/set.txt")" = "$previous" ] || fail "$1: set.txt changed"
  [ -z "$(ls -A "$card" | grep -v -e "^set.txt\$" -e "^filler\$")" ] || fail "$1: left $(ls -A "$card")"
}
full="the card is full; make room on it; any earlier set.txt there is unchanged"
read_only="the card is read-only; check its lock switch, or mount it for writing; any earlier set.txt there is unchanged"

# A full card: one page, taken by set.txt and a filler. The temporary file is
# made but finds no room; set.txt is overwritten in its own.
mount -t tmpfs -o size=4k halvo-full "$card"
printf %s "$previous" >"$card/set.txt"
dd if=/dev/zero of="$card/filler" bs=1k count=64 2>/dev/null || true
if printf x >"$card/probe" 2>/dev/null; then fail "the tmpfs is not full"; fi
rm -f "$card/probe"
out=$("$program" -o "$card" --date 2030-06-15 --time 12:00:00 2>&1) || fail "full card with set.txt: $out"
[ "$out" = "wrote $card/set.txt: 2030-06-15 12:00:00, flip off, length 2 min, time-lapse off, audio on, USB storage, time stamp on" ] ||
  fail "full card with set.txt: $out"
"$program" --date 2030-06-15 --time 12:00:00 --stdout | cmp -s - "$card/set.txt" || fail "full card: set.txt is not the new file"
[ "$(ls -A "$card" | tr "\n" " ")" = "filler set.txt " ] || fail "full card: left $(ls -A "$card")"
passed=$((passed + 1))
# The same without a set.txt: nothing is left behind.
rm "$card/set.txt"
: >"$card/filler"
dd if=/dev/zero of="$card/filler" bs=1k count=64 2>/dev/null || true
expect_refusal "full card without set.txt" "$full"
[ "$(ls -A "$card")" = filler ] || fail "full card without set.txt: left $(ls -A "$card")"
umount "$card"

# A read-only card, with and without a set.txt.
mount -t tmpfs -o size=1m halvo-ro "$card"
printf %s "$previous" >"$card/set.txt"
mount -o remount,ro "$card"
expect_refusal "read-only card" "$read_only"
expect_previous "read-only card"
mount -o remount,rw "$card"
rm "$card/set.txt"
mount -o remount,ro "$card"
expect_refusal "read-only card without set.txt" "$read_only"
[ -z "$(ls -A "$card")" ] || fail "read-only card without set.txt: left $(ls -A "$card")"
umount "$card"
echo "card_failure_mount_test: $passed passed, 0 failed"
'
