#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with; with "fuzz", also those of `make fuzz`; with
# "headless", also the virtual display and browser viewer of `make run` on a machine without a screen; with
# "test", those and what the tests of that viewer drive it with (Chromium, and Python's WebSocket client).
# Quiet when all are present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libcurl4-openssl-dev libssl-dev
    libcpp-httplib-dev libmicrohttpd-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-nanum openssl desktop-file-utils xdg-utils
)
# Only `make fuzz` needs clang and its libFuzzer.
headless=(xvfb xauth x11-utils x11vnc novnc websockify x11-xserver-utils)
case "${1:-}" in
fuzz) packages+=(clang libclang-rt-dev) ;;
headless) packages+=("${headless[@]}") ;;
test) packages+=("${headless[@]}" chromium python3-websocket) ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
