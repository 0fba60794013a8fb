#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages; does nothing when all are there.
set -euo pipefail
packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev zlib1g-dev wixl
  g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev wine wine64
  xvfb xauth imagemagick fonts-wqy-microhei unixodbc-dev odbcinst unixodbc
  unzip zip p7zip-full python3 faketime util-linux
  prometheus prometheus-node-exporter prometheus-alertmanager)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

# Wine converts file names through the Linux locale: without a generated zh_CN.UTF-8 locale the
# code page is 936 but every GBK file name fails with "path not found".
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q 'install ok installed' ||
    { apt-get update -qq; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq locales; }
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
