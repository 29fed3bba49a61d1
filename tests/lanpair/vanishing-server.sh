#!/bin/sh
# The server host's side of the vanishing-server test: runs the reference peer and pulls its
# cable on request. While the file DIR/down exists the host's link to the LAN is down; DIR/state
# says which state the link is in now ("up" or "down").
#   usage: vanishing-server.sh DIR PEER [PEER ARGUMENTS...]
set -u
dir=$1
shift
"$@" &
dev=$(ip -o link show | awk -F': ' '$2 !~ /^lo/ { sub(/@.*/, "", $2); print $2; exit }')
state=up
echo up > "$dir/state"
while :; do
  want=up
  [ -e "$dir/down" ] && want=down
  if [ "$want" != "$state" ]; then
    ip link set dev "$dev" "$want"
    state=$want
    echo "$state" > "$dir/state.new" && mv "$dir/state.new" "$dir/state"
  fi
  sleep 0.05
done
