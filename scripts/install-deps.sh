#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the host need.
# Does nothing (and needs no network) when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql qt6-image-formats-plugins
  libsqlite3-dev libpq-dev
  libgtest-dev libbenchmark-dev desktop-file-utils
  postgresql
  fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
