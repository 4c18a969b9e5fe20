# Sourced by the Wine scripts.

# use_prefix STATE: the environment for running Wine in the build tree's private prefix.
use_prefix() {
  export WINEPREFIX="$1/prefix" WINEARCH=win32 WINEDEBUG=${VIZO_WINEDEBUG:--all}
  # No Mono or Gecko install prompts.
  export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
}

# start_xvfb NAME_VAR PID_VAR: starts Xvfb on a free display and sets the two variables to its
# display name and process id.
start_xvfb() {
  local -n out_display=$1 out_pid=$2
  local fifo number=
  fifo=$(mktemp -u) && mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
  out_pid=$!
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  out_display=":$number"
}

# session_display STATE: prints the display of a running test session, if there is one.
session_display() {
  [ -f "$1/display" ] && kill -0 "$(cat "$1/xvfb.pid" 2>/dev/null)" 2>/dev/null && cat "$1/display"
}
