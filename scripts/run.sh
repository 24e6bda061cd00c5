#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec "${TARSEL_BUILD_DIR:-build}/app/TarselRuler" "$@"
