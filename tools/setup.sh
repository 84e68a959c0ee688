#!/usr/bin/env bash
# Shared by ./test, bench/run and tools/screenshot.sh: installs the Debian
# packages LUM needs when they are missing, then configures one of the builds
# of CMakePresets.json and builds all of it.
#   tools/setup.sh PRESET [extra cmake arguments...]
# LUM_WERROR=ON in the environment turns compiler warnings into errors (CI);
# without it they are warnings again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/packages.sh"

preset=$1; shift
cd "$top"
cmake --preset "$preset" -DLUM_WERROR="${LUM_WERROR:-OFF}" "$@" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
