#!/bin/sh
# CTest fixture for the linked-file test: DIR/card/set.txt becomes a symbolic
# link to DIR/real/settings.txt, made on the Unix side because the Windows
# programs under Wine cannot make links ("setup"); "cleanup" removes DIR.
#
#   linked_set_txt.sh setup|cleanup DIR
set -eu
action=$1
dir=$2

case "$action" in
  setup)
    rm -rf "$dir"
    mkdir -p "$dir/card" "$dir/real"
    printf 'previous set.txt\r\n' > "$dir/real/settings.txt"
    ln -s "$dir/real/settings.txt" "$dir/card/set.txt"
    ;;
  cleanup)
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 setup|cleanup DIR" >&2
    exit 2
    ;;
esac
