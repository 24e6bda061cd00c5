#!/usr/bin/env bash
# Installs what is missing, checks the sources' format, builds, and runs every test. Tests
# that need a display get a private Xvfb screen of 1920 x 1080 at 96 dpi. With TARSEL_SANITIZE=1 it then also
# runs the sanitized pass (scripts/test-sanitized.sh: every test with ASan and UBSan, the
# fuzz corpora and a minute of fuzzing per target), as CI does.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-format.sh
bash scripts/build.sh
build_dir=${TARSEL_BUILD_DIR:-build}
xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96 +extension XInputExtension" \
  ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
if [[ ${TARSEL_SANITIZE:-0} == 1 ]]; then
  bash scripts/test-sanitized.sh
fi
