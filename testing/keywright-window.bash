# Sourced by scripts/keywright-screenshot and scripts/keywright-request-screenshot, which
# run inside run-under-xvfb's private server: starts keywright, finds its windows and
# quits it. Expects $me, the calling script's name for its messages.
# shellcheck shell=bash
: "${me:?the name of the calling script}"

# shellcheck source=testing/window.bash
source "$(dirname "${BASH_SOURCE[0]}")/window.bash"

app=""
work=""
keywright_cleanup() {
  if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then kill "$app"; wait "$app" 2>/dev/null || true; fi
  if [ -n "$work" ]; then rm -rf "$work"; fi
}

# Makes the scratch folder $work from a mktemp template; it goes when the script ends.
make_work() {
  work=$(mktemp -d "$1")
  trap keywright_cleanup EXIT
}

# Starts the program from $work, so its data root is somewhere harmless. Its output goes
# to $work/keywright.log.
start_keywright() {
  (cd "$work" && exec "$1") >"$work/keywright.log" 2>&1 &
  app=$!
}

# Prints the id of a visible window with exactly this title. Fails, showing keywright's
# output, when none appears within ten seconds or keywright ends first.
wait_window() {
  wait_window_id visible "$1" 100 "$app" && return 0
  echo "$me: the window \"$1\" did not appear" >&2
  cat "$work/keywright.log" >&2
  return 1
}

# Quits through the menu accelerator on the given window; the program must end by itself.
quit_keywright() {
  xdotool windowfocus --sync "$1" key --clearmodifiers alt+F4 || true
  for _ in $(seq 50); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$app" 2>/dev/null; then
    echo "$me: keywright did not end after Alt+F4" >&2
    return 1
  fi
  wait "$app"
  app=""
}
