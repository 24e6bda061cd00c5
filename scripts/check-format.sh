#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format makes of it (.clang-format
# at the root says how). To mend: clang-format -i on the files it names.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== Checking the format of the sources"
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
  echo "Some sources are not formatted: run clang-format -i on the files named above." >&2
  exit 1
fi
