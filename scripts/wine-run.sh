#!/usr/bin/env bash
# Runs one Windows program under Wine: in the session of scripts/wine-session.sh when one of
# the architecture the program is built for is active, otherwise in a session of its own.
set -euo pipefail
source "$(dirname "$0")/wine-arches.sh"
# On its own line, so that a file that is no Windows program stops the run here: as a prefix of
# exec, the failed look-up would leave the default architecture to a session.
arch=$(pe_wine_arch "$1")
if ! in_wine_session "$arch"; then
    VELMORAN_WINE_ARCH=$arch exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
fi

# A crash of the program itself ends it with a Windows exception code. A Unix segmentation
# fault (status 139) is Wine's own process dying, seen here now and then as a program exits;
# such a run is repeated once rather than blamed on the program.
status=0
wine "$@" || status=$?
if [ "$status" -eq 139 ]; then
    echo "wine-run.sh: Wine itself crashed (status 139); running $1 again" >&2
    status=0
    wine "$@" || status=$?
fi
exit "$status"
