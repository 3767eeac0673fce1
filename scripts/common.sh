# Shared by run.sh, test.sh and the packaging scripts: install what is missing, then configure and
# build into build/.
# shellcheck shell=bash

MARVENTO_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev
  libxkbcommon-dev libgl-dev libgtest-dev libgmock-dev googletest libbenchmark-dev libboost-math-dev
  qt6-translations-l10n libxlsxwriter-dev python3-openpyxl)

marvento_install_missing() {
  marvento_installa_pacchetti "${MARVENTO_PACKAGES[@]}"
}

# Installs those of the Debian packages given that are missing (as root), or says which they are.
marvento_installa_pacchetti() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Marvento needs these Debian packages: ${missing[*]}" >&2
    echo "Install them as root: apt-get install -y --no-install-recommends ${missing[*]}" >&2
    return 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || { echo "apt-get update failed" >&2; return 1; }
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
    echo "Could not install: ${missing[*]}" >&2; return 1; }
}

# apt-get source needs deb-src entries: when apt has no source of package $1, adds the release's
# own (as root), beside its deb entries.
marvento_deb_src() {
  local list=/etc/apt/sources.list.d/marvento-deb-src.sources codename
  apt-cache showsrc "$1" 2>/dev/null | grep -q '^Package:' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "apt has no deb-src entries: run this script once as root to add them" >&2
    return 1
  fi
  # shellcheck disable=SC1091
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  echo "== Adding deb-src entries for $codename ($list)" >&2
  cat >"$list" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $codename-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  apt-get update -qq
}

marvento_build() {
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARVENTO_WERROR=ON "$@" >/dev/null || return 1
  fi
  cmake --build "$dir" --parallel "$(nproc)"
}
