#!/bin/sh
# Runs the broadcast test on a two-host test network made by lan-pair: the reference peer
# on the server host, the client on the client host. With --default-elsewhere the client host
# also has a second network that holds its default route (lan-pair --default-elsewhere).
# Skipped (exit 77) where that network cannot be made: not root, no iproute2, or no lan-pair
# tool beside the project.
#   usage: lan-pair-test.sh [--default-elsewhere] LAN_PAIR PEER CLIENT_TEST [ARG...]
set -u
elsewhere=
if [ "${1:-}" = "--default-elsewhere" ]; then
  elsewhere=--default-elsewhere
  shift
fi
lan_pair=$1 peer=$2
shift 2
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root"; exit 77; }
command -v ip >/dev/null 2>&1 || [ -x /usr/sbin/ip ] || [ -x /sbin/ip ] || { echo "skipped: no iproute2"; exit 77; }
[ -x "$lan_pair" ] || { echo "skipped: no lan-pair at $lan_pair"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# The real program remembers its server between runs: start from a configuration of our own.
export XDG_CONFIG_HOME="$out/config"
export QD_PEER_OUTPUT="$out/peer.out" QD_PEER_ERRORS="$out/peer.err" QD_PEER_PROBES="$out/probes.log"
# The server answers with its own address on the test network and writes down every probe.
"$lan_pair" $elsewhere \
  "exec '$peer' --host-text \"\$LAN_SERVER_IP\" --probe-log '$QD_PEER_PROBES' > '$QD_PEER_OUTPUT' 2> '$QD_PEER_ERRORS'" \
  env QT_QPA_PLATFORM=offscreen QD_PEER_OUTPUT="$QD_PEER_OUTPUT" QD_PEER_ERRORS="$QD_PEER_ERRORS" \
  QD_PEER_PROBES="$QD_PEER_PROBES" QD_LAN_DEFAULT_ELSEWHERE="${elsewhere:+1}" "$@"
status=$?
echo "peer printed:"; cat "$QD_PEER_OUTPUT" 2>/dev/null
echo "probes the peer saw:"; cat "$QD_PEER_PROBES" 2>/dev/null
[ $status -eq 2 ] && grep -q "needs root\|Operation not permitted" "$QD_PEER_ERRORS" 2>/dev/null && exit 77
exit $status
