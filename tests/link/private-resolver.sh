#!/bin/sh
# Runs a test in network and mount namespaces of its own whose resolver is 127.0.0.1, where the
# test itself answers name queries (or leaves them unanswered) and sees every one the program
# sends. Skipped (exit 77) where such namespaces cannot be made.
#   usage: private-resolver.sh TEST [ARG...]
set -u
PATH=$PATH:/usr/sbin:/sbin
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root"; exit 77; }
command -v unshare >/dev/null 2>&1 || { echo "skipped: no unshare"; exit 77; }
command -v ip >/dev/null 2>&1 || { echo "skipped: no iproute2"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
echo "nameserver 127.0.0.1" > "$dir/resolv.conf"
QD_PRIVATE_RESOLVER=1 unshare --net --mount sh -c \
  'ip link set lo up && mount --bind "$0" /etc/resolv.conf && exec "$@"' "$dir/resolv.conf" "$@"
