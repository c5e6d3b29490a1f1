#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only when one is missing.
set -euo pipefail
packages=(
  g++ cmake make pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev googletest
  libcairo2-dev libfontconfig-dev fonts-liberation
  libsndfile1-dev libfftw3-dev libsoxr-dev
  libx11-dev libxtst-dev xvfb xauth x11-utils
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 wine32:i386
  lsp-plugins-vst
  man-db ardour
)
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
# 32-bit Wine runs the x86 plug-in's tests.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
