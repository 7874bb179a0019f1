#!/usr/bin/env bash
# Checks what ships beside halvo-set against the program itself:
#   shipped_docs_test.sh completion HALVO_SET COMPLETION_SCRIPT
#   shipped_docs_test.sh man HALVO_SET MAN_PAGE
set -euo pipefail
export LC_ALL=C
mode=$1 program=$(realpath "$2") file=$(realpath "$3")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The long options of --help, one a line.
help_options() { "$program" --help | grep -oE '^  (-[[:alnum:]],)?--[[:alnum:]-]+' | sed 's/.*,//; s/^ *//' | sort; }

case $mode in
completion)
  # shellcheck source=/dev/null
  . "$file"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir "$work/card" && : >"$work/cardfile.txt"
  cd "$work"

  # complete WORDS...: what TAB offers after the words, the last being the
  # one under the cursor; sorted, one line.
  complete_words() {
    COMP_WORDS=("$program" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _halvo_set "$program" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
  }
  expect() { # expected, then the words
    local want=$1 got
    shift
    got=$(complete_words "$@")
    [ "$got" = "$want" ] || fail "halvo-set $* <TAB>: got '$got', want '$want'"
  }
  expect "--flip" --fl
  expect "--time --timelapse --timestamp" --tim
  expect "off on" --flip ""
  expect "10" --timelapse 1
  expect "storage video" --usb = ""
  expect "video" --usb = v
  expect "card" -o car
  expect "card" --output ""
  expect "card cardfile.txt" --show car
  expect "" --date ""
  expect "" --lead 3
  expect "" 2021
  # Every option of --help, and nothing else.
  want=$( (help_options; "$program" --help | grep -oE '^  -[[:alnum:]],' | tr -d ' ,') | sort | tr '\n' ' ' | sed 's/ $//')
  expect "$want" -
  ;;
man)
  # Every option of --help is described, and the page names no other.
  page=$(sed 's/\\-/-/g' "$file" | grep -oE -- '--[[:alnum:]-]+' | sort -u)
  missing=$(comm -23 <(help_options) <(echo "$page"))
  extra=$(comm -13 <(help_options) <(echo "$page"))
  [ -z "$missing" ] || fail "the man page lacks: $missing"
  [ -z "$extra" ] || fail "the man page names options halvo-set does not have: $extra"
  if command -v groff >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$file" 2>&1)
    [ -z "$warnings" ] || fail "groff: $warnings"
  fi
  ;;
*)
  echo "usage: $0 completion|man PROGRAM FILE" >&2
  exit 2
  ;;
esac
[ "$failures" -eq 0 ]
