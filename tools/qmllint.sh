#!/usr/bin/env bash
# Checks every QML document of the window and of its tests with qmllint
# (Debian's qtdeclarative5-dev-tools). Exits with 1 when one fails. The
# documents only the Qt 6 build carries (qml/qt6/) are left out: Qt 5's
# qmllint does not read their version-less imports.
#   tools/qmllint.sh [QMLLINT]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
qmllint=${1:-$(command -v qmllint || echo /usr/lib/qt5/bin/qmllint)}
failed=0
while IFS= read -r -d '' file; do
  "$qmllint" "$file" || { echo "qmllint: $file" >&2; failed=1; }
done < <(find "$top/qml" "$top/tests/qml" -path "$top/qml/qt6" -prune -o -name '*.qml' -print0 | sort -z)
exit $failed
