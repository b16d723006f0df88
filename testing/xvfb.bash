# Starts a private Xvfb server for GUI tests and wine sessions; sourced by run-under-xvfb
# and wine-session.
# shellcheck shell=bash

# start_xvfb DIR [LAUNCHER...]: a server with a cookie of its own in DIR/Xauthority, its
# display number in DIR/display and its log in DIR/xvfb.log, started through LAUNCHER
# when one is given (setsid, for a server that outlives the caller). Exports DISPLAY and
# XAUTHORITY and sets xvfb_pid. Fails, never skips, where Xvfb is missing.
start_xvfb() {
  local dir=$1 tool
  shift
  for tool in Xvfb xauth mcookie; do
    command -v "$tool" >/dev/null ||
      { echo "$tool is missing (setup/install-deps installs xvfb and xauth)" >&2; return 1; }
  done
  # A cookie for any display number: the server picks its own number (-displayfd).
  export XAUTHORITY="$dir/Xauthority"
  touch "$XAUTHORITY"
  printf 'ffff 0000  0000  0012 4d49542d4d414749432d434f4f4b49452d31 0010 %s\n' "$(mcookie)" |
    xauth -q -f "$XAUTHORITY" nmerge -
  # -noreset: by default the server resets whenever its last client disconnects and drops
  # every connection still in its set-up at that moment. A short client (xdotool polling
  # for a window) leaving just as the program under test connects then makes the program
  # fail to open the display.
  "$@" Xvfb -displayfd 3 -noreset -auth "$XAUTHORITY" -nolisten tcp -screen 0 1280x1024x24 \
    3>"$dir/display.new" >"$dir/xvfb.log" 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    grep -q '^[0-9]\+$' "$dir/display.new" 2>/dev/null && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q '^[0-9]\+$' "$dir/display.new" 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    return 1
  fi
  mv "$dir/display.new" "$dir/display"
  DISPLAY=":$(cat "$dir/display")"
  export DISPLAY
}
