#!/usr/bin/env bash
# Shared by ./test, bench/run and tools/screenshot.sh: installs the Debian
# packages LUM needs when they are missing, then configures one of the builds
# of CMakePresets.json and builds all of it.
#   tools/setup.sh PRESET [extra cmake arguments...]
# LUM_WERROR=ON in the environment turns compiler warnings into errors (CI).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/packages.sh"

preset=$1; shift
werror=()
[ -n "${LUM_WERROR:-}" ] && werror=(-DLUM_WERROR="$LUM_WERROR")
cd "$top"
cmake --preset "$preset" "${werror[@]}" "$@" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
