#!/bin/sh
# CTest fixture for the full-disk test: mounts a small tmpfs at DIR, puts a
# set.txt in it and fills the rest ("setup"), or unmounts it ("cleanup").
# Without the right to mount, setup leaves DIR.skip with the reason and the
# test skips itself.
#
#   full_disk.sh setup|cleanup DIR
set -u
action=$1
dir=$2

unmount() {
  if mountpoint -q "$dir" 2>/dev/null; then umount "$dir" || exit 1; fi
}

case "$action" in
  setup)
    rm -f "$dir.skip"
    unmount
    mkdir -p "$dir" || exit 1
    if ! mount -t tmpfs -o size=64k,mode=0777 halvo-full "$dir" 2>"$dir.err"; then
      echo "cannot mount a tmpfs at $dir (needs root): $(cat "$dir.err")" > "$dir.skip"
      rm -f "$dir.err"
      exit 0
    fi
    rm -f "$dir.err"
    printf 'previous set.txt\r\n' > "$dir/set.txt" || exit 1
    # Fill every remaining block; dd stops at "No space left on device".
    dd if=/dev/zero of="$dir/filler" bs=4096 2>/dev/null
    if printf 'x' > "$dir/probe" 2>/dev/null; then
      echo "the tmpfs at $dir is not full" >&2
      exit 1
    fi
    rm -f "$dir/probe"
    ;;
  cleanup)
    unmount
    rm -f "$dir.skip"
    rmdir "$dir" 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 setup|cleanup DIR" >&2
    exit 2
    ;;
esac
