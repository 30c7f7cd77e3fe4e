#!/usr/bin/env bash
# Installs the Debian 12 packages Tessaro needs; quick and silent when all are present.
set -euo pipefail
pkgs=(build-essential cmake pkg-config qt6-base-dev qt6-translations-l10n libgl-dev libgtest-dev libgmock-dev
      libbenchmark-dev libcli11-dev nlohmann-json3-dev fonts-ipafont-gothic
      lib3mf-dev libpugixml-dev zlib1g-dev poppler-utils xvfb xauth xdotool imagemagick help2man dpkg-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
