#!/bin/sh
# The real-display tier: starts an X server (Xvfb) with a window manager (openbox) in a private
# network namespace of its own, so that the client's fixed ports (UDP 8091, and 8090 and TCP 6000
# at the peer) are free and nothing leaves loopback, then runs the driver against it. Skipped
# (exit 77) only where no X server can start.
#   usage: desktop-test.sh ISOLATED WxH DRIVER [ARG...]
set -u
isolated=$1 size=$2 driver=$3
shift 3
if [ -z "${QD_DESKTOP_PRIVATE:-}" ]; then
  [ -x "$isolated" ] || { echo "desktop-test: no isolated tool at $isolated"; exit 1; }
  # The X server and the client run only inside the private namespace, never beside the real
  # network.
  "$isolated" true >/dev/null 2>&1 ||
    { echo "skipped: no private network namespace to start the X server in (needs root or user namespaces)"; exit 77; }
  QD_DESKTOP_PRIVATE=1 exec "$isolated" "$0" "$isolated" "$size" "$driver" "$@"
fi
command -v Xvfb >/dev/null 2>&1 || { echo "skipped: no X server: Xvfb is not installed (tools/install-deps installs it)"; exit 77; }
for tool in openbox xdotool wmctrl; do
  command -v $tool >/dev/null 2>&1 || { echo "desktop-test: $tool is missing (tools/install-deps installs it)"; exit 1; }
done

tmp=$(mktemp -d)
# The real program remembers its server between runs: every run here starts from a
# configuration folder of its own, never the user's or another test's.
export XDG_CONFIG_HOME="$tmp/config"
xvfb='' wm=''
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  [ -n "$xvfb" ] && wait "$xvfb" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A display of its own (-displayfd picks a free number), reached through a unix socket only.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${size}x24" 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
waited=0
until [ -s "$tmp/display" ]; do
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "skipped: the X server could not start:"; cat "$tmp/xvfb.log"; xvfb=''; exit 77
  fi
  [ $waited -lt 200 ] || { echo "skipped: the X server gave no display within 20 s:"; cat "$tmp/xvfb.log"; exit 77; }
  sleep 0.1; waited=$((waited + 1))
done
export DISPLAY=":$(head -n 1 "$tmp/display")"
mkdir -m 700 "$tmp/runtime"
export XDG_RUNTIME_DIR="$tmp/runtime"

openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
wm=$!
waited=0
until wmctrl -m >/dev/null 2>&1; do
  kill -0 "$wm" 2>/dev/null || { echo "desktop-test: openbox did not start:"; cat "$tmp/openbox.log"; wm=''; exit 1; }
  [ $waited -lt 200 ] || { echo "desktop-test: openbox did not take the display within 20 s"; exit 1; }
  sleep 0.1; waited=$((waited + 1))
done

# The first XTest key event of a fresh server is lost to the keyboard mapping xdotool sets up,
# so one harmless key goes first.
xdotool key shift >/dev/null 2>&1

echo "desktop-test: X server $DISPLAY at $size with $(wmctrl -m | sed -n 's/^Name: //p')"
QT_QPA_PLATFORM=xcb "$driver" "$@"
