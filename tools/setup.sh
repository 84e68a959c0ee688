#!/usr/bin/env bash
# Shared by ./run and ./test: installs the Debian packages LUM needs when they
# are missing, then configures and builds the project.
#   tools/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake g++ make qtbase5-dev qtdeclarative5-dev libqt5serialport5-dev
  qtquickcontrols2-5-dev qml-module-qtquick2 qml-module-qtquick-controls2
  qml-module-qtquick-controls qml-module-qtquick-dialogs qml-module-qtquick-window2
  qml-module-qtquick-layouts qml-module-qttest qml-module-qt-labs-folderlistmodel
  qml-module-qt-labs-settings qtdeclarative5-dev-tools qttranslations5-l10n xvfb xauth fonts-dejavu-core)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi

build=$1; shift
cmake -S "$top" -B "$build" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
