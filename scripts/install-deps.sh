#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
# Runs apt-get as root (directly, or through sudo).
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config
  libicu-dev zlib1g-dev libssl-dev uuid-dev libpcre2-dev
  libzip-dev libpugixml-dev libsqlite3-dev libpq-dev libxml2-dev libstemmer-dev libsnmp-dev
  qt6-base-dev
  libgtest-dev libbenchmark-dev
  media-types netbase zip unzip locales
  python3-aiosmtpd openssl
  postgresql snmptrapd xvfb xauth
  tzdata
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
