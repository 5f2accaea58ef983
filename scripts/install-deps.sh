#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillon need.
# Only packages that are missing are installed; nothing present is reinstalled.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgtest-dev libgmock-dev
          libbenchmark-dev libcurl4-openssl-dev libssl-dev libidn2-dev xvfb xauth python3-pyftpdlib
          clang libclang-rt-14-dev openbox x11-utils libxcb1-dev libsqlite3-dev nlohmann-json3-dev
          python3 firefox-esr chromium desktop-file-utils pkexec polkitd dbus-daemon xdotool
          libsystemd-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
