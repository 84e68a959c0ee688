#!/usr/bin/env bash
# Installs the Debian packages that building and running LUM need, when any
# of them is missing (through sudo when not root). Quiet when all are there.
#   tools/packages.sh [more packages...]
set -euo pipefail

packages=(cmake g++ make qtbase5-dev qtdeclarative5-dev libqt5serialport5-dev
  qtquickcontrols2-5-dev qml-module-qtquick2 qml-module-qtquick-controls2
  qml-module-qtquick-controls qml-module-qtquick-dialogs qml-module-qtquick-window2
  qml-module-qtquick-layouts qml-module-qttest qml-module-qt-labs-folderlistmodel
  qml-module-qt-labs-settings qtdeclarative5-dev-tools qttranslations5-l10n xvfb xauth
  fonts-dejavu-core "$@")

# One dpkg-query for all of them: the check costs well under a second.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null \
  | awk '/ install ok installed$/ { print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
  grep -qx "$p" <<<"$installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi
