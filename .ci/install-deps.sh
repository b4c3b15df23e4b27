#!/usr/bin/env bash
# Installs the Debian packages the build and its stages need; does nothing
# when they are all present, so it is cheap to run again.
set -euo pipefail

packages=(cmake g++ make libgtest-dev python3)
if [ -f .ci/packages.extra ]; then
  mapfile -t extra < <(grep -v '^#' .ci/packages.extra | grep -v '^$')
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Packages named pkg:arch need that architecture known to dpkg first.
  for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\(.*\)$/\1/p' | sort -u); do
    dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
  done
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
