#!/usr/bin/env bash
# halvo-set --card against real mounts: tmpfs volumes mounted where a desktop
# mounts a card, inside a private mount namespace so that nothing outlives the
# test and the machine's own mounts are not disturbed.
#   card_mount_test.sh HALVO_SET
# Exits 77 (skipped) where mounting is not allowed, saying why.
set -euo pipefail
program=$(realpath "$1")

if [ "$(id -u)" -ne 0 ]; then echo "SKIP: mounting needs root"; exit 77; fi
if ! unshare -m --propagation private true 2>/dev/null; then echo "SKIP: no mount namespaces here"; exit 77; fi
if [ ! -d /media ]; then echo "SKIP: this system has no /media"; exit 77; fi

export program user=$(id -un)
exec unshare -m --propagation private bash -euo pipefail -c '
fail() { echo "FAIL: $*" >&2; exit 1; }
# A fresh /media hides whatever the machine has mounted there.
mount -t tmpfs -o size=1m halvo-media /media
card=/media/$user/CAM
mkdir -p "$card" /media/$user/STICK
mount -t tmpfs -o size=1m halvo-card "$card"

# A fresh card, with neither DCIM nor set.txt: the only volume in a media folder,
# whatever else this system has mounted.
"$program" --card --date 2030-06-15 --time 11:00:00 >/dev/null || fail "a fresh card without DCIM was not found"
[ "$(stat -c %s "$card/set.txt")" = 282 ] || fail "set.txt on the fresh card is not 282 bytes"
rm "$card/set.txt"
mkdir "$card/DCIM"

out=$("$program" --card --date 2030-06-15 --time 12:00:00 --length 5)
[ "$out" = "wrote $card/set.txt: 2030-06-15 12:00:00, flip off, length 5 min, time-lapse off, audio on, USB storage, time stamp on" ] ||
  fail "one card: $out"
[ "$(stat -c %s "$card/set.txt")" = 282 ] || fail "set.txt on the card is not 282 bytes"

# A second volume without DCIM or set.txt: the camera is still the one.
mount -t tmpfs -o size=1m halvo-stick /media/$user/STICK
"$program" --card --date 2030-06-15 --time 12:00:01 >/dev/null || fail "the card beside a plain stick"
[ ! -e /media/$user/STICK/set.txt ] || fail "wrote onto the stick"

# Two cameras: nothing is written, both are named.
mkdir /media/$user/STICK/DCIM
rm "$card/set.txt"
if err=$("$program" --card --date 2030-06-15 --time 12:00:02 2>&1); then fail "two cards were accepted"; fi
case $err in *"found 2 cards and wrote nothing"*"$card"*"/media/$user/STICK"*) ;; *) fail "two cards: $err" ;; esac
[ ! -e "$card/set.txt" ] && [ ! -e /media/$user/STICK/set.txt ] || fail "wrote with two cards"

# A user the system has no passwd entry for (a container, a bare uid): the
# name comes from USER, and the card in that user'"'"'s media folder is found.
umount /media/$user/STICK "$card"
uid=4242
while getent passwd "$uid" >/dev/null; do uid=$((uid + 1)); done
mkdir -p /media/alice/CARD
mount -t tmpfs -o size=1m,uid=$uid halvo-alice /media/alice/CARD
if command -v setpriv >/dev/null; then
  out=$(cd / && setpriv --reuid="$uid" --regid="$uid" --clear-groups env -i USER=alice \
    "$program" --card --date 2030-06-15 --time 12:00:03 2>&1) || fail "no passwd entry, USER=alice: $out"
  [ "$out" = "wrote /media/alice/CARD/set.txt: 2030-06-15 12:00:03, flip off, length 2 min, time-lapse off, audio on, USB storage, time stamp on" ] ||
    fail "no passwd entry, USER=alice: $out"
  echo "card_mount_test: 5 passed, 0 failed"
else
  echo "card_mount_test: 4 passed, 0 failed (setpriv missing: the user without a passwd entry is not tried)"
fi
'
