#!/usr/bin/env bash
# Installs the Debian packages a task needs, and only those that are missing.
# Usage: scripts/deps.sh run|test|bench|package|windows
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools
       fonts-liberation2 fonts-dejavu-core)
# Qt's own texts in Hungarian (the fields' context menu follows the program's language).
runtime=(qt6-translations-l10n)
run=("${build[@]}" "${runtime[@]}")
# Building the Debian package and checking it (lintian) and what it installs: the entry, the
# metadata, the icons, and the installed program read over AT-SPI under Xvfb.
package_check=(dpkg-dev lintian file desktop-file-utils appstream imagemagick librsvg2-bin
               xvfb xauth dbus at-spi2-core python3-gi gir1.2-atspi-2.0)
# Building the Windows program for x86_64 and i686 with Debian's mingw-w64 (POSIX thread
# model), and its installers and ZIPs with NSIS and zip, signed with osslsigncode (the
# test makes its throw-away certificates with openssl); g++ builds the icon tool. (The
# tests build GoogleTest from the sources in the googletest package.)
windows=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
         binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 nsis zip osslsigncode openssl)
# Running it under Wine: 32-bit programs need wine32 from the i386 architecture; Wine's
# virtual desktop under Xvfb; the layout's faces; Wine's own Tahoma for the frame; the
# Hungarian locale's sources, compiled under build/ for the installer test.
wine=(wine wine64 wine32:i386 xvfb xauth fonts-liberation2 fonts-wine unzip locales)
test=("${build[@]}" "${runtime[@]}" libgtest-dev libgmock-dev googletest xvfb xauth
      # the formatting check
      clang-format
      "${windows[@]}" "${wine[@]}"
      # libFuzzer for the settings file parser
      clang-14 libclang-rt-14-dev
      "${package_check[@]}")
bench=("${build[@]}" libbenchmark-dev xvfb xauth "${windows[@]}" "${wine[@]}")
package=("${build[@]}" "${runtime[@]}" "${package_check[@]}")

case "${1:-}" in
  run) wanted=("${run[@]}") ;;
  test) wanted=("${test[@]}") ;;
  bench) wanted=("${bench[@]}") ;;
  package) wanted=("${package[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  *) echo "usage: $0 run|test|bench|package|windows" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all ${#wanted[@]} packages for '$1' are installed"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive

# Another package manager may hold the locks, as a fresh desktop's unattended upgrades do
# for minutes after the first boot: wait for it, up to ten minutes, instead of failing.
# apt-get waits for dpkg's lock itself (DPkg::Lock::Timeout), but neither `apt-get update`
# (the package lists' lock) nor `dpkg --add-architecture` waits. The locks are fcntl
# locks, which flock(1) does not see; /proc/locks lists them by device and inode.
lock_timeout=600
locks=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock)
lock_held() {
  local file dev
  for file in "${locks[@]}"; do
    [ -e "$file" ] || continue
    dev=$(stat -c %d "$file")
    grep -q " $(printf '%02x:%02x' $(((dev >> 8) & 0xfff)) $(((dev & 0xff) | ((dev >> 12) & 0xfff00)))):$(stat -c %i "$file") " \
      /proc/locks && return 0
  done
  return 1
}
wait_deadline=$((SECONDS + lock_timeout))
said_waiting=
wait_for_package_manager() {
  while lock_held; do
    if [ -z "$said_waiting" ]; then
      echo "deps: another package manager is running; waiting for it to finish (up to ten minutes)"
      said_waiting=1
    fi
    [ $SECONDS -lt $wait_deadline ] ||
      { echo "deps: the package manager is still busy after ten minutes; try again later" >&2; exit 1; }
    sleep 1
  done
}
apt_get() { wait_for_package_manager; "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=$lock_timeout "$@"; }

# Packages of another architecture (wine32:i386) need that architecture enabled first.
for pkg in "${missing[@]}"; do
  case "$pkg" in
    *:*)
      arch=${pkg#*:}
      if [ "$arch" != "$(dpkg --print-architecture)" ] &&
         ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
        echo "deps: enabling the $arch architecture"
        wait_for_package_manager
        "${sudo[@]}" dpkg --add-architecture "$arch"
      fi ;;
  esac
done
apt_get update -q
apt_get install -y -q --no-install-recommends "${missing[@]}"
