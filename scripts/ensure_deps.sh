#!/usr/bin/env bash
# Installs the Debian packages Duskweave needs, when any is missing, in two
# sets: what building and running the programs needs (run.sh), and what the
# tests need on top of that (test.sh). Sourced; a second run finds everything
# and returns at once.

DUSKWEAVE_BUILD_PACKAGES=(
  cmake make g++ pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libcli11-dev nlohmann-json3-dev libpng-dev libgif-dev libwebp-dev zlib1g-dev
  libimagequant-dev libdeflate-dev help2man
  fonts-dejavu-core fonts-dejavu-extra
)
DUSKWEAVE_TEST_PACKAGES=(
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  xvfb xauth
  desktop-file-utils appstream shared-mime-info dpkg-dev
  python3-jsonschema
)

# Prints those of the named packages that are not installed.
missing_packages() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

install_packages() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

ensure_build_deps() {
  install_packages "${DUSKWEAVE_BUILD_PACKAGES[@]}"
}

ensure_test_deps() {
  install_packages "${DUSKWEAVE_BUILD_PACKAGES[@]}" "${DUSKWEAVE_TEST_PACKAGES[@]}"
}

# True when every test package is installed already.
have_test_deps() {
  [ -z "$(missing_packages "${DUSKWEAVE_TEST_PACKAGES[@]}")" ]
}
