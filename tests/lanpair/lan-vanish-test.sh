#!/bin/sh
# Runs the vanishing-server test on a two-host test network made by lan-pair: the reference
# peer on the server host, whose link the test takes down and up again, and the test on the
# client host. Skipped (exit 77) where that network cannot be made.
#   usage: lan-vanish-test.sh LAN_PAIR PEER CLIENT_TEST
set -u
lan_pair=$1 peer=$2 client=$3
here=$(cd "$(dirname "$0")" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root"; exit 77; }
command -v ip >/dev/null 2>&1 || [ -x /usr/sbin/ip ] || [ -x /sbin/ip ] || { echo "skipped: no iproute2"; exit 77; }
[ -x "$lan_pair" ] || { echo "skipped: no lan-pair at $lan_pair"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$lan_pair" "exec sh '$here/vanishing-server.sh' '$out' '$peer' --host-text \"\$LAN_SERVER_IP\" > '$out/peer.out' 2> '$out/peer.err'" \
  env QT_QPA_PLATFORM=offscreen QD_LAN_DIR="$out" QD_PEER_OUTPUT="$out/peer.out" "$client"
status=$?
echo "peer printed:"; cat "$out/peer.out" 2>/dev/null
exit $status
