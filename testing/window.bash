# Waits for a program's windows by their titles, with xdotool; sourced by the scripts that
# drive keywright's window, on Linux and under wine.
# shellcheck shell=bash

# wait_window_id visible|any TITLE TENTHS PID [EXCLUDED_ID...]: prints the id of a window
# with exactly this title, other than the excluded ones, and returns 0; returns 1 when none
# appears within TENTHS tenths of a second or when process PID (if not empty) ends first.
# "visible" asks for a mapped window; "any" takes unmapped ones too, since wine's windows
# are not reported as visible where no window manager runs.
wait_window_id() {
  local which=$1 title=$2 tenths=$3 pid=$4 id
  local search=(search --name "^$title\$")
  [ "$which" = visible ] && search=(search --onlyvisible --name "^$title\$")
  shift 4
  for _ in $(seq "$tenths"); do
    for id in $(xdotool "${search[@]}" 2>/dev/null); do
      if [[ " $* " != *" $id "* ]]; then echo "$id"; return 0; fi
    done
    [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
