#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the host need, and
# those of the groups named as arguments:
#   fuzz  clang with libFuzzer and its sanitizer runtimes, and llvm-symbolizer
#         for readable traces (make fuzz)
# The sanitizer build (make test-sanitize) needs nothing more: GCC's runtimes
# come with g++. Does nothing (and needs no network) when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql qt6-image-formats-plugins
  libsqlite3-dev libpq-dev
  libgtest-dev libbenchmark-dev desktop-file-utils
  postgresql
  fonts-arphic-uming fonts-noto-cjk
)
for group in "$@"; do
  case $group in
    fuzz) packages+=(clang libclang-rt-14-dev llvm) ;;
    *) echo "install-deps: unknown group $group" >&2; exit 1 ;;
  esac
done

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
