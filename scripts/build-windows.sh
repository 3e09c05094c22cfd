#!/usr/bin/env bash
# Builds the Windows program for x86_64 and i686 with Debian's mingw-w64 (Release) into
# build/windows/{x86_64,i686}, and leaves an NSIS installer and a ZIP for each under
# build/windows/ (aspect-ratio-<version>-win64.exe / -win32.exe and the two .zip), and
# build/windows/SHA256SUMS over them. Every byte follows from the commit: the date is the
# last commit's (SOURCE_DATE_EPOCH, unless the caller set it).
# With ASPECT_SIGN_CERT (a PEM certificate chain) and ASPECT_SIGN_KEY (its PEM private key)
# set it signs every program it ships: the program, each uninstaller and each installer.
# Installs the Debian packages it misses. Can be run again at any time.
# Usage: [ASPECT_SIGN_CERT=chain.pem ASPECT_SIGN_KEY=key.pem] scripts/build-windows.sh
#
# scripts/test-windows.sh sources this file and builds the same folders with the tests.
set -euo pipefail

windows_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
windows_out=$windows_root/build/windows
windows_arches=(x86_64 i686)
windows_jobs=$(nproc 2>/dev/null || echo 2)
# shellcheck source=source-date.sh
source "$windows_root/scripts/source-date.sh"

# windows_build <arch> ON|OFF: the program (and with ON its tests, GoogleTest included)
# in build/windows/<arch> through the preset windows-<arch>, Release, warnings as errors.
# The installers pack only what is installed, so one folder serves both.
windows_build() {
  local arch=$1 tests=$2
  (cd "$windows_root" &&
    cmake --preset "windows-$arch" -DASPECT_BUILD_TESTS="$tests" >/dev/null &&
    cmake --build --preset "windows-$arch" -j "$windows_jobs")
}

# windows_package <arch> [<folder>]: the installer and the ZIP of one architecture, copied
# to build/windows/ (or <folder>).
windows_package() {
  local arch=$1 dir=$windows_out/$1 dest=${2:-$windows_out} sign=()
  if windows_signing; then
    sign=(-D "CPACK_ASPECT_SIGN=$windows_root/scripts/sign-windows.sh")
  fi
  rm -rf "$dir/cpack"
  if ! (cd "$windows_root" && cpack --preset "windows-$arch" "${sign[@]}") >"$dir/cpack.log" 2>&1; then
    cat "$dir/cpack.log" >&2
    echo "build-windows: cpack failed for $arch" >&2
    return 1
  fi
  local made=("$dir"/cpack/*.exe)
  local staged
  staged=$(dirname "$(dirname "$(find "$dir/cpack/_CPack_Packages" -path '*/bin/aspect-ratio.exe')")")
  windows_zip "$staged" "$dir/cpack/$(basename "$staged").zip"
  made+=("$dir/cpack/$(basename "$staged").zip")
  cp "${made[@]}" "$dest/"
  local f
  for f in "${made[@]}"; do
    echo "build-windows: ${dest#"$windows_root"/}/$(basename "$f") ($(stat -c %s "$f") bytes)"
  done
}

# windows_zip <staged folder> <zip>: what CPack staged for the installer (signed when the
# installer's program is), the folder's name as the top entry. Fixed times (UTC, the
# commit's date), modes and order, and no extra attributes.
windows_zip() {
  local staged=$1 zip=$2
  rm -f "$zip"
  find "$staged" -type d -exec chmod 0755 {} + -o -type f -exec chmod 0644 {} +
  find "$staged" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  (cd "$staged/.." && find "$(basename "$staged")" -type f | LC_ALL=C sort |
    TZ=UTC zip -X -D -q -9 "$zip" -@)
}

# Signing needs both the certificate chain and the key; without them nothing is signed.
windows_signing() {
  [ -n "${ASPECT_SIGN_CERT:-}" ] && [ -n "${ASPECT_SIGN_KEY:-}" ] || return 1
  # The packaging signs from other folders.
  ASPECT_SIGN_CERT=$(realpath -- "$ASPECT_SIGN_CERT")
  ASPECT_SIGN_KEY=$(realpath -- "$ASPECT_SIGN_KEY")
  export ASPECT_SIGN_CERT ASPECT_SIGN_KEY
}

# build/windows/SHA256SUMS over every installer and ZIP there, in the form
# `sha256sum -c SHA256SUMS` reads (names relative to build/windows).
windows_sums() {
  (cd "$windows_out" && sha256sum -- *.exe *.zip >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)
  echo "build-windows: build/windows/SHA256SUMS"
}

windows_main() {
  "$windows_root/scripts/deps.sh" windows
  if windows_signing; then
    echo "build-windows: signing with $ASPECT_SIGN_CERT"
  else
    echo "build-windows: not signing (ASPECT_SIGN_CERT and ASPECT_SIGN_KEY are not set)"
  fi
  local arch
  for arch in "${windows_arches[@]}"; do
    echo "build-windows: building $arch (${SECONDS}s)"
    windows_build "$arch" OFF
    windows_package "$arch"
  done
  windows_sums
  echo "build-windows: done (${SECONDS}s)"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  windows_main "$@"
fi
