#!/bin/sh
# Runs a test inside a private network namespace that has only loopback (the isolated tool
# beside the project), where it may add interfaces of its own and broadcast without anything
# leaving the machine. Skipped (exit 77) where such a namespace cannot be made.
#   usage: in-isolated-network.sh ISOLATED [--sink] TEST [ARG...]
set -u
isolated=$1
shift
sink=
if [ "${1:-}" = "--sink" ]; then
  sink=--sink
  shift
fi
[ -x "$isolated" ] || { echo "skipped: no isolated tool at $isolated"; exit 77; }
"$isolated" $sink true >/dev/null 2>&1 || { echo "skipped: cannot make a network namespace here"; exit 77; }
exec "$isolated" $sink env QD_TEST_ISOLATED_NETWORK=1 "$@"
