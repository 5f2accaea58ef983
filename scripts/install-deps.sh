#!/usr/bin/env bash
# Installs the Debian packages that building and running Quillon need (and
# making its Debian package); with --tests, also those that only its tests,
# fuzz targets and benchmarks need: browsers, compilers, test frameworks and
# X servers a person who only wants the program never uses.
# Only packages that are missing are installed; nothing present is reinstalled.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libcurl4-openssl-dev libssl-dev
          libidn2-dev libxcb1-dev libsqlite3-dev nlohmann-json3-dev libsystemd-dev libc-ares-dev pkexec polkitd)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth python3 python3-pyftpdlib clang
               libclang-rt-14-dev openbox x11-utils firefox-esr chromium desktop-file-utils appstream
               dbus-daemon xdotool man-db)
case "${1:-}" in
  "") ;;
  --tests) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

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
