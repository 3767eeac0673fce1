#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Marvento (optionally on FILE).
set -euo pipefail
# A file named relative to the caller's folder must still be found after the cd below.
files=()
for f in "$@"; do
  case $f in /*) files+=("$f") ;; *) files+=("$PWD/$f") ;; esac
done
cd "$(dirname "$0")"
source scripts/common.sh
marvento_install_missing
marvento_build build >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "No display found: showing the command-line summary of examples/esempio.mes instead of the window."
  exec build/src/cli/marvento-cli mes examples/esempio.mes
fi
exec build/src/app/Marvento "${files[@]}"
