#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
# Runs apt-get as root (directly, or through sudo).
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config
  libicu-dev zlib1g-dev libssl-dev uuid-dev libpcre2-dev
  libzip-dev libpugixml-dev libsqlite3-dev libpq-dev libxml2-dev libstemmer-dev libsnmp-dev
  libcurl4-openssl-dev libboost-dev curl xdg-utils
  qt6-base-dev libxcb1-dev
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

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# German locales for the tests that check our output does not follow the C
# locale (a decimal comma, 8-bit letters); generated once, when missing.
for entry in de_DE.UTF-8:UTF-8:de_DE.utf8 de_DE.ISO-8859-1:ISO-8859-1:de_DE.iso88591; do
  IFS=: read -r name charmap listed <<<"$entry"
  if ! locale -a 2>/dev/null | grep -qx "$listed"; then
    echo "Generating locale $name"
    $sudo localedef -i de_DE -f "$charmap" "$name" || echo "warning: could not generate $name" >&2
  fi
done
