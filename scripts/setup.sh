#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing) and configures the builds.
#   scripts/setup.sh            install packages, configure build/ (release) and build-san/ (sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < scripts/packages.txt

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
