#!/usr/bin/env bash
# Installs the Debian packages that building and running LUM need, when any
# of them is missing (through sudo when not root). Quiet when all are there.
#   tools/packages.sh [--qt6] [more packages...]
# --qt6: the packages of the Qt 6 build instead of Qt 5.15's.
set -euo pipefail

packages=(cmake g++ make qtbase5-dev qtdeclarative5-dev libqt5serialport5-dev
  qtquickcontrols2-5-dev qml-module-qtquick2 qml-module-qtquick-controls2
  qml-module-qtquick-controls qml-module-qtquick-dialogs qml-module-qtquick-window2
  qml-module-qtquick-layouts qml-module-qttest qml-module-qt-labs-folderlistmodel
  qml-module-qt-labs-settings qtdeclarative5-dev-tools qttranslations5-l10n xvfb xauth
  fonts-dejavu-core poppler-utils)
if [ "${1:-}" = --qt6 ]; then
  shift
  packages=(cmake g++ make qt6-base-dev qt6-declarative-dev qt6-serialport-dev
    qt6-declarative-dev-tools qml6-module-qtqml qml6-module-qtqml-workerscript
    qml6-module-qtqml-models qml6-module-qtquick qml6-module-qtquick-templates
    qml6-module-qtquick-controls qml6-module-qtquick-dialogs qml6-module-qtquick-window
    qml6-module-qtquick-layouts qml6-module-qttest qml6-module-qtcore
    qml6-module-qt-labs-folderlistmodel qml6-module-qt-labs-settings
    qt6-translations-l10n xvfb xauth fonts-dejavu-core poppler-utils)
fi
packages+=("$@")

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
  # Another apt-get may hold the lock for a while; try again before giving up.
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    if "${sudo_cmd[@]}" apt-get update -q \
        && DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"; then
      break
    fi
    [ $attempt -lt 10 ] || exit 1
    echo "apt-get failed (locked by another?); trying again in 15 s"
    sleep 15
  done
fi
