#!/usr/bin/env bash
# Installs, with apt-get, the Debian/Ubuntu packages that a goal needs and
# that are missing. Goals: build, run, test. Runs apt-get as root or through
# sudo; does nothing when everything is already there.
set -euo pipefail

goal=${1:-build}
packages=(cmake g++ make pkg-config libsdl2-dev libtomlplusplus-dev)
case "$goal" in
  build) ;;
  run) packages+=() ;;
  test) packages+=(googletest libgtest-dev libbenchmark-dev python3-numpy python3-pandas python3-meshio gcc-avr avr-libc binutils-avr simavr libx11-dev libxtst-dev xvfb xauth xdotool x11-utils imagemagick
                  clang libclang-rt-14-dev g++-mingw-w64-i686 wine wine32:i386 weston) ;;
  *) echo "install-deps.sh: unknown goal '$goal' (build, run or test)" >&2; exit 2 ;;
esac

# Installs those of the given packages that are missing.
install_missing() {
  local p status missing=()
  for p in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0

  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    if command -v sudo >/dev/null; then
      sudo=(sudo)
    else
      echo "install-deps.sh: missing packages ${missing[*]}; run as root or install sudo" >&2
      exit 1
    fi
  fi
  echo "Installing: ${missing[*]}"
  # Wine runs the 32-bit Windows build, which needs the i386 architecture.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${missing[@]}"
}

install_missing "${packages[@]}"
# A kernel that runs no 32-bit programs cannot start 32-bit Wine; the tests
# then run the same code built for 64-bit Windows under 64-bit Wine.
# TAVRIN_WINE_BITS=64 takes that path on any machine.
if [[ "$goal" == test ]] && { [[ "${TAVRIN_WINE_BITS:-}" == 64 ]] || ! wine --version >/dev/null 2>&1; }; then
  install_missing wine64 g++-mingw-w64-x86-64
fi
