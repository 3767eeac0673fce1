#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test (window tests offscreen).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
marvento_install_missing
marvento_build build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 600
