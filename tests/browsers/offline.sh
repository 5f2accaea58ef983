#!/usr/bin/env bash
# Runs a command in a private network namespace that has only loopback, so
# that the browsers it starts can reach the test proxy and nothing else.
# Where no namespace can be made (not root), the command runs as it is.
if [ "${QUILLON_OFFLINE:-}" != 1 ] && command -v unshare >/dev/null && command -v ip >/dev/null &&
        unshare -n true 2>/dev/null; then
    exec unshare -n env QUILLON_OFFLINE=1 bash "$0" "$@"
fi
if [ "${QUILLON_OFFLINE:-}" = 1 ]; then
    ip link set lo up || exit 2
else
    echo "note: no private network namespace here; running with the network" >&2
fi
exec "$@"
