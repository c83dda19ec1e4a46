#!/usr/bin/env bash
# The one install step: puts on this machine every Debian package that building,
# testing and running talven needs. Safe to run again; when everything is
# present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc
  libsqlite3-dev sqlite3 unixodbc-dev unixodbc libsqliteodbc
  libjpeg62-turbo-dev libxlsxwriter-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libfreetype-dev libfontconfig-dev libuemf-dev
  cups printer-driver-cups-pdf libcups2-dev
  poppler-utils qpdf python3-openpyxl
  fonts-arphic-uming fonts-wqy-zenhei fonts-liberation2
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
