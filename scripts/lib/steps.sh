# Steps that time themselves, for scripts that run many: each step prints
# its seconds when it ends, and steps_summary (the scripts' EXIT trap) a table
# of every step, also when the run stops at a failure. A step may run in the
# background beside others; its output is kept in a log and shown when it ends.
# Sourced by the scripts; needs bash.
#
#   step NAME DESCRIPTION             starts a step (and ends the one before)
#   step_end                          ends the current step
#   step_background NAME DESCRIPTION COMMAND...   runs a step beside the next ones
#   step_wait NAME                    waits for it, shows its output, fails if it failed
#   steps_summary                     the table; the EXIT trap calls it

steps_dir=${steps_dir:-build/steps}
steps_names=()
steps_seconds=()
steps_results=()
steps_current=
steps_current_start=0
steps_started=$SECONDS
declare -A steps_pids=() steps_background_start=()

# Records a finished step: name, seconds, result.
steps_record() {
  steps_names+=("$1")
  steps_seconds+=("$2")
  steps_results+=("$3")
}

step_end() {
  [ -n "$steps_current" ] || return 0
  local seconds=$((SECONDS - steps_current_start))
  steps_record "$steps_current" "$seconds" ok
  printf '<== %s: %d s\n' "$steps_current" "$seconds"
  steps_current=
}

step() { # NAME DESCRIPTION
  step_end
  steps_current=$1
  steps_current_start=$SECONDS
  printf '\n==> [%s] %s\n' "$1" "$2"
}

step_background() { # NAME DESCRIPTION COMMAND...
  local name=$1 description=$2
  shift 2
  step_end
  mkdir -p "$steps_dir"
  rm -f "$steps_dir/$name.result"
  printf '\n==> [%s] %s (in the background: its output follows when it ends)\n' "$name" "$description"
  # In a process group of its own (set -m), so that a stop reaches everything it started.
  set -m
  (
    start=$SECONDS status=0
    "$@" >"$steps_dir/$name.log" 2>&1 </dev/null || status=$?
    echo "$((SECONDS - start)) $status" >"$steps_dir/$name.result"
  ) &
  steps_pids[$name]=$!
  set +m
  steps_background_start[$name]=$SECONDS
}

step_wait() { # NAME
  local name=$1 seconds status=1
  wait "${steps_pids[$name]}" || true
  unset "steps_pids[$name]"
  printf '\n==> [%s] output:\n' "$name"
  cat "$steps_dir/$name.log" 2>/dev/null || true
  if read -r seconds status <"$steps_dir/$name.result" 2>/dev/null; then :; else seconds=?; fi
  if [ "$status" -eq 0 ]; then
    steps_record "$name" "$seconds" ok
    printf '<== %s: %s s (in the background)\n' "$name" "$seconds"
  else
    steps_record "$name" "$seconds" "FAILED ($status)"
    printf '<== %s: FAILED after %s s (in the background)\n' "$name" "$seconds"
    return 1
  fi
}

steps_summary() {
  local status=${1:-$?} i name
  # A step that was running when the script stopped is the one that failed.
  if [ -n "$steps_current" ]; then
    steps_record "$steps_current" "$((SECONDS - steps_current_start))" "$([ "$status" -eq 0 ] && echo ok || echo FAILED)"
    steps_current=
  fi
  # Steps still in the background are stopped; only those this script started.
  for name in "${!steps_pids[@]}"; do
    kill -- "-${steps_pids[$name]}" 2>/dev/null || true
    wait "${steps_pids[$name]}" 2>/dev/null || true
    steps_record "$name" "$((SECONDS - steps_background_start[$name]))" stopped
  done
  printf '\n%-14s %8s  %s\n' step seconds result
  for i in "${!steps_names[@]}"; do
    printf '%-14s %8s  %s\n' "${steps_names[$i]}" "${steps_seconds[$i]}" "${steps_results[$i]}"
  done
  printf '%-14s %8d  %s\n' total "$((SECONDS - steps_started))" "$([ "$status" -eq 0 ] && echo passed || echo "FAILED (exit status $status)")"
  # The plain closing line a CI log is read by.
  local passed=0 failed=0
  for i in "${!steps_results[@]}"; do
    if [ "${steps_results[$i]}" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  done
  [ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
  echo
  echo "steps: $passed passed, $failed failed"
}
