#!/usr/bin/env bash
# Shared by ./test, bench/run and tools/screenshot.sh: installs the Debian
# packages LUM needs when they are missing, then configures one of the builds
# of CMakePresets.json and builds all of it.
#   tools/setup.sh PRESET [extra cmake arguments...]
# The preset "qt6" builds with Qt 6 and installs Qt 6's packages instead of
# Qt 5.15's. LUM_WERROR=ON in the environment turns compiler warnings into
# errors (CI); without it they are warnings again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=$1; shift
if [ "$preset" = qt6 ]; then
  "$top/tools/packages.sh" --qt6
else
  "$top/tools/packages.sh"
fi

cd "$top"
cmake --preset "$preset" -DLUM_WERROR="${LUM_WERROR:-OFF}" "$@" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
