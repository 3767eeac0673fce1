#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Marvento (optionally on FILE).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
marvento_install_missing
marvento_build build >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "No display found: showing the command-line summary of examples/esempio.mes instead of the window."
  exec build/src/cli/marvento-cli mes examples/esempio.mes
fi
exec build/src/app/Marvento "$@"
