# Sourced by the Wine scripts.

# use_prefix STATE: the environment for running Wine in the build tree's private prefix: a 32-bit
# one, or a 64-bit one for a STATE named *-win64.
use_prefix() {
  local arch=win32
  [[ $1 == *-win64 ]] && arch=win64
  export WINEPREFIX="$1/prefix" WINEARCH=$arch WINEDEBUG=${VIZO_WINEDEBUG:--all}
  # No Mono or Gecko install prompts.
  export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
}

# start_x_server NAME_VAR PID_VAR SERVER ARGUMENTS...: starts an X server that takes -displayfd on
# a free display and sets the two variables to its display name and process id.
start_x_server() {
  local -n out_display=$1 out_pid=$2
  local server=$3 fifo number=
  shift 3
  fifo=$(mktemp -u) && mkfifo "$fifo"
  "$server" -displayfd 3 "$@" 3>"$fifo" </dev/null >/dev/null 2>&1 &
  out_pid=$!
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "$server did not start" >&2
    return 1
  fi
  out_display=":$number"
}

# start_xvfb NAME_VAR PID_VAR: an Xvfb display.
start_xvfb() {
  start_x_server "$1" "$2" Xvfb -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp
}

# start_two_monitors NAME_VAR PID_VAR LOGFILE [LAYOUT]: an X server that shows Wine two monitors side
# by side (Xorg's dummy driver; needs root). LAYOUT "equal" (the default): two of 1024 x 768;
# "unequal": a 1280 x 1024 to the right of the 1024 x 768 primary.
start_two_monitors() {
  local -n out_display=$1 out_pid=$2
  local mode=1024x768_60 line=(65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync)
  case ${4:-equal} in
    equal) ;;
    unequal) mode=1280x1024_60 line=(109.00 1280 1368 1496 1712 1024 1027 1034 1063 -hsync +vsync) ;;  # cvt 1280 1024 60
    *) echo "unknown monitor layout $4" >&2; return 1 ;;
  esac
  start_x_server "$1" "$2" Xorg -config "$(dirname "${BASH_SOURCE[0]}")/xorg-two-monitors.conf" -noreset \
    -nolisten tcp -logfile "$3" || { echo "see $3" >&2; return 1; }
  # The screen starts as one output; the second monitor is a second output to its right (the
  # dummy driver grows the screen to fit). Wine asks for the outputs without a probe, and until one
  # has run it sees only the first: the last query probes.
  if ! { DISPLAY=$out_display xrandr --newmode "$mode" "${line[@]}" &&
    DISPLAY=$out_display xrandr --addmode DUMMY1 "$mode" &&
    DISPLAY=$out_display xrandr --output DUMMY1 --mode "$mode" --right-of DUMMY0 &&
    DISPLAY=$out_display xrandr >/dev/null; }; then
    echo "xrandr could not add the second monitor" >&2
    kill "$out_pid"
    return 1
  fi
}

# session_display STATE: prints the display of a running test session, if there is one.
session_display() {
  [ -f "$1/display" ] && kill -0 "$(cat "$1/server.pid" 2>/dev/null)" 2>/dev/null && cat "$1/display"
}
