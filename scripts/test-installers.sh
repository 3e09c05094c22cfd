#!/usr/bin/env bash
# Checks the Windows installers that scripts/build-windows.sh makes, in a fresh Wine prefix
# (build/windows/wine/install-prefix) under its own Xvfb: for each architecture the
# program's imports are Windows' own DLLs only and its version resource and icon are
# right; the installer installs silently into the right Program Files folder with the
# Start-menu shortcut and the Add/Remove Programs entry; the installed program opens its
# window in Hungarian with the version label and closes; the uninstaller removes it
# silently and leaves nothing of it behind. The ZIP holds the same program.
# Usage: scripts/test-installers.sh [prepare]
#        (after a build of build/windows/{x86_64,i686} with tests)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# shellcheck source=build-windows.sh
source scripts/build-windows.sh
# shellcheck source=wine-env.sh
source scripts/wine-env.sh

version=$(sed -n 's/^project(aspect_ratio VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
failures=0
fail() { echo "installers: FAIL: $*" >&2; failures=$((failures + 1)); }
say() { echo "installers: $*"; }
ms() { date +%s%3N; }
took() { printf '%d.%03ds' $((($(ms) - $1) / 1000)) $((($(ms) - $1) % 1000)); }

# A fresh prefix is a copy of one that was made once and never used (a copy takes a few
# seconds, making one anew about twenty). `scripts/test-installers.sh prepare` only makes
# that one, so the test command can have it made while the suites run.
pristine=$wine_base/pristine-prefix
make_pristine() {
  if [ ! -f "$pristine/aspect-pristine" ]; then
    local t
    t=$(ms)
    rm -rf "$pristine"
    mkdir -p "$pristine"
    wine_used_prefixes+=("$pristine")
    # Only Wine's own set-up, with no persistent server or desktop kept running: the
    # copy gets the run's settings later, and waiting here for a server that is kept
    # alive would never end.
    WINEPREFIX=$pristine wineboot --init >/dev/null 2>&1
    WINEPREFIX=$pristine wineserver -w
    touch "$pristine/aspect-pristine"
    say "made the pristine prefix in $(took "$t")"
  fi
}

wine_env
trap wine_cleanup EXIT
wine_display
if [ "${1:-}" = prepare ]; then
  make_pristine
  exit 0
fi

t=$(ms)
for arch in "${windows_arches[@]}"; do
  windows_package "$arch"
done
say "packaging took $(took "$t")"

t=$(ms)
make_pristine
prefix=$wine_base/install-prefix
rm -rf "$prefix"
cp -a "$pristine" "$prefix"
rm "$prefix/aspect-pristine"
wine_prefix "$prefix"
say "fresh prefix took $(took "$t")"

# reg_value <key> <view 32|64> <name>: a value's data, or nothing when there is none.
reg_value() {
  { wine reg query "$1" /v "$3" /reg:"$2" 2>/dev/null || true; } | tr -d '\r' |
    sed -n "s/^ *$3 *REG_[A-Z_]* *//p"
}
reg_exists() { wine reg query "$1" /reg:"$2" >/dev/null 2>&1; }

check_arch() {
  local arch=$1 build=$root/build/windows/$1
  local sys bits triple root_dir
  case "$arch" in
    x86_64) sys=win64 bits=64 triple=x86_64-w64-mingw32 root_dir="Program Files" ;;
    i686) sys=win32 bits=32 triple=i686-w64-mingw32 root_dir="Program Files (x86)" ;;
  esac
  local name=aspect-ratio-$version-$sys
  local installer=$windows_out/$name.exe zip=$windows_out/$name.zip
  local check="$build/aspect-install-check.exe"
  local exe=$build/src/window/win32/aspect-ratio.exe
  [ -f "$installer" ] || { fail "$arch: no $installer"; return; }
  [ -f "$zip" ] || fail "$arch: no $zip"

  # Only Windows' own DLLs: no Qt, no libstdc++, libgcc or winpthread.
  local dlls
  dlls=$("$triple-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | xargs)
  say "$arch: imports $dlls"
  local dll
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | shell32.dll | advapi32.dll | \
        msvcrt.dll | ole32.dll | oleaut32.dll | uxtheme.dll | shlwapi.dll | imm32.dll) ;;
      *) fail "$arch: imports $dll" ;;
    esac
  done
  wine "$check" version "$(winepath -w "$exe")" || fail "$arch: version resource"
  wine "$check" icon "$(winepath -w "$exe")" || fail "$arch: icon"
  # The ZIP holds the same program.
  local listed
  listed=$(unzip -Z1 "$zip")
  grep -qx "$name/bin/aspect-ratio.exe" <<<"$listed" || fail "$arch: ZIP lacks bin/aspect-ratio.exe: $listed"

  local t
  t=$(ms)
  wine "$installer" /S || fail "$arch: installer exit status $?"
  say "$arch: silent install took $(took "$t")"
  local dir="$prefix/drive_c/$root_dir/Aspect ratio"
  local menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Aspect ratio"
  local link="$menu/Calculate aspect ratio.lnk"
  local key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Aspect ratio'
  [ -f "$dir/bin/aspect-ratio.exe" ] || fail "$arch: not installed in C:\\$root_dir\\Aspect ratio\\bin"
  [ -f "$link" ] || fail "$arch: no Start-menu shortcut \"Calculate aspect ratio\""
  # The shortcut starts the installed program (and so shows its icon).
  [ -f "$link" ] && ! grep -qa 'aspect-ratio.exe' "$link" && fail "$arch: shortcut target"
  local publisher shown icon uninstall
  publisher=$(reg_value "$key" "$bits" Publisher)
  shown=$(reg_value "$key" "$bits" DisplayVersion)
  icon=$(reg_value "$key" "$bits" DisplayIcon)
  uninstall=$(reg_value "$key" "$bits" UninstallString)
  say "$arch: Add/Remove Programs ($bits-bit view): publisher '$publisher', version '$shown', icon '$icon'"
  [ "$publisher" = Morlane ] || fail "$arch: publisher '$publisher'"
  [ "$shown" = "$version" ] || fail "$arch: version '$shown'"
  [[ "$icon" == *'\bin\aspect-ratio.exe' ]] || fail "$arch: icon '$icon'"
  [ -n "$uninstall" ] || fail "$arch: no uninstaller registered"

  wine "$check" window "C:\\$root_dir\\Aspect ratio\\bin\\aspect-ratio.exe" ||
    fail "$arch: the installed program's window"

  t=$(ms)
  wine "C:\\$root_dir\\Aspect ratio\\Uninstall.exe" /S || fail "$arch: uninstaller exit status"
  # The uninstaller returns at once and finishes from a copy of itself in %TEMP%.
  local _
  for _ in $(seq 100); do
    [ ! -e "$dir" ] && ! reg_exists "$key" "$bits" && break
    sleep 0.1
  done
  say "$arch: silent uninstall took $(took "$t")"
  [ ! -e "$dir" ] || fail "$arch: left behind: $(find "$dir" | head -5 | xargs)"
  [ ! -e "$menu" ] || fail "$arch: Start-menu folder left behind"
  local view
  for view in 32 64; do
    reg_exists "$key" "$view" && fail "$arch: uninstall key left in the $view-bit view"
    reg_exists 'HKLM\Software\Morlane' "$view" && fail "$arch: HKLM\\Software\\Morlane left in the $view-bit view"
  done
  reg_exists 'HKCU\Software\Morlane' 64 && fail "$arch: HKCU\\Software\\Morlane written"
  local left
  left=$(find "$prefix/drive_c" -iname '*aspect*' -not -path '*/users/*/Temp/*' | head -5)
  [ -z "$left" ] || fail "$arch: left behind: $left"
  return 0
}

for arch in "${windows_arches[@]}"; do
  check_arch "$arch"
done
if [ "$failures" -ne 0 ]; then
  echo "installers: $failures check(s) failed" >&2
  exit 1
fi
say "all passed"
