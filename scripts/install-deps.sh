#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run Tervil Editor.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins
  qt6-image-formats-plugins
  libgl-dev libxkbcommon-dev
  libpcre2-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libqscintilla2-qt6-dev
  xvfb xauth xdotool openbox
  fonts-dejavu-core fonts-wqy-microhei
  breeze-icon-theme
  php-cli php-league-commonmark
  libxml2-utils poppler-utils
  lintian desktop-file-utils appstream xdg-utils shared-mime-info
  qt6-webengine-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
