# Shared by windows-package.sh and windows-check.sh.
# shellcheck shell=bash

# Installs the Debian packages given that are missing (as root), or says which are.
win_installa() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Needs these Debian packages: ${missing[*]}" >&2
    echo "Install them as root: apt-get install -y --no-install-recommends ${missing[*]}" >&2
    return 1
  fi
  echo "== Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
