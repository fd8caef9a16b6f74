#!/usr/bin/env bash
# Makes (or with --remove, deletes) the scratch Wine prefix the checks share.
#
#   wine_prefix.sh PREFIX | wine_prefix.sh --remove PREFIX
set -euo pipefail
if [ "${1:-}" = --remove ]; then
  export WINEPREFIX=${2:?}
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  exit 0
fi
export WINEPREFIX=${1:?usage: wine_prefix.sh PREFIX}
source "$(dirname "$0")/wine_env.sh"
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
wineboot --init
wineserver -w
test -f "$WINEPREFIX/system.reg"
echo "wine_prefix: $WINEPREFIX made with $(wine --version)"
