#!/bin/sh
# CTest fixture for the locked-folder test: DIR holds a set.txt and is marked
# immutable, so no new file can be made in it (root included) while set.txt
# stays writable ("setup"); "cleanup" lifts the mark and removes DIR. Where the
# mark cannot be set, DIR stays open and the test skips itself.
#
#   locked_folder.sh setup|cleanup DIR
set -u
action=$1
dir=$2

case "$action" in
  setup)
    chattr -i "$dir" 2>/dev/null
    rm -rf "$dir"
    mkdir -p "$dir" || exit 1
    printf 'previous set.txt\r\n' > "$dir/set.txt" || exit 1
    chattr +i "$dir" 2>/dev/null || true
    ;;
  cleanup)
    chattr -i "$dir" 2>/dev/null
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 setup|cleanup DIR" >&2
    exit 2
    ;;
esac
