#!/usr/bin/env bash
# Runs one Windows program under Wine: in the session of scripts/wine-session.sh when one is
# active, otherwise in a session of its own.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
    exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
fi
exec wine "$@"
