#!/usr/bin/env bash
# Checks the Windows installers that scripts/build-windows.sh makes, in fresh Wine prefixes
# (build/windows/wine/install-prefix*) under its own Xvfb: for each architecture the
# program's imports are Windows' own DLLs only and its version resource and icon are
# right; the installer installs silently into the right Program Files folder with the
# Start-menu shortcut and the Add/Remove Programs entry; the installed program opens its
# window in Hungarian with the version label and closes; the uninstaller removes it
# silently and leaves nothing of it behind. The ZIP holds the same program and the licence.
# Then, one case a row: the pages, shortcut and entry in Hungarian and in English, a folder
# of the user's choosing, the uninstaller in the installed language; the user's PATH
# untouched and a reinstall leaving one of everything; both architectures side by side,
# uninstalled in either order; the 64-bit installer refusing 32-bit Windows; a signed build
# verifying, and a second build in another folder, time zone and umask giving the same bytes.
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
# seconds, making one anew about twenty): a 64-bit one, and a 32-bit one for the 64-bit
# installer's refusal. `scripts/test-installers.sh prepare` only makes those, so the test
# command can have them made while the suites run.
make_pristine() {
  local pristine=$wine_base/pristine-prefix$1 arch=${1:-64}
  if [ ! -f "$pristine/aspect-pristine" ]; then
    local t
    t=$(ms)
    rm -rf "$pristine"
    mkdir -p "$pristine"
    wine_used_prefixes+=("$pristine")
    # Only Wine's own set-up, with no persistent server or desktop kept running: the
    # copy gets the run's settings later, and waiting here for a server that is kept
    # alive would never end.
    WINEARCH=win${arch#-} WINEPREFIX=$pristine wineboot --init >/dev/null 2>&1
    WINEPREFIX=$pristine wineserver -w
    touch "$pristine/aspect-pristine"
    say "made the pristine prefix$1 in $(took "$t")"
  fi
}
# Wine takes the user-interface language from the locale, and names files in the locale's
# character set, so the Hungarian one is made here (glibc's LOCPATH), not on the machine.
locales=$wine_base/locale
make_locale() {
  [ -d "$locales/hu_HU.UTF-8" ] || { mkdir -p "$locales" && localedef -i hu_HU -f UTF-8 "$locales/hu_HU.UTF-8"; }
}

wine_env
trap wine_cleanup EXIT
wine_display
# The three side by side, waited for by their ids (Xvfb runs in the background too).
prepare() {
  local pids=() pid
  make_pristine "" & pids+=($!)
  make_pristine -32 & pids+=($!)
  make_locale & pids+=($!)
  for pid in "${pids[@]}"; do wait "$pid"; done
}
prepare
[ "${1:-}" = prepare ] && exit 0

t=$(ms)
for arch in "${windows_arches[@]}"; do
  windows_package "$arch"
done
windows_sums
say "packaging took $(took "$t")"

# fresh_prefix [-32]: a new prefix from the pristine one, made the current one.
prefix=
fresh_prefix() {
  [ -z "$prefix" ] || wineserver -k >/dev/null 2>&1 || true
  prefix=$wine_base/install-prefix$1
  rm -rf "$prefix"
  cp -a "$wine_base/pristine-prefix$1" "$prefix"
  rm "$prefix/aspect-pristine"
  if [ "$1" = -32 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
  wine_prefix "$prefix"
}

# reg_value <key> <view 32|64> <name>: a string value's data; other types as .reg writes
# them (hex(2):… for REG_EXPAND_SZ); nothing when there is none.
reg_value() {
  local file=$wine_base/tmp/value.reg
  rm -f "$file"
  wine reg export "$1" "$(winepath -w "$file")" /reg:"$2" /y >/dev/null 2>&1 || return 0
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | sed -n "s/^\"$3\"=//p" |
    sed 's/^"\(.*\)"$/\1/; s/\\\\/\\/g'
}
reg_exists() { wine reg query "$1" /reg:"$2" >/dev/null 2>&1; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Aspect ratio'
menu=Microsoft/Windows/Start\ Menu/Programs
# The 32-bit program on 64-bit Windows: its folder, registry view and installer name.
arch_facts() {
  case "$1" in
    x86_64) sys=win64 bits=64 triple=x86_64-w64-mingw32 root_dir="Program Files" ;;
    i686) sys=win32 bits=32 triple=i686-w64-mingw32 root_dir="Program Files (x86)" ;;
  esac
  installer=$windows_out/aspect-ratio-$version-$sys.exe
}
# The Start-menu shortcuts of the prefix, relative to the Start menu's folder.
shortcuts() { (cd "$prefix/drive_c/ProgramData/$menu" && find . -name '*.lnk' | sort | xargs -r -d '\n' printf '%s;'); }
# wait_gone <arch>: an uninstaller returns at once and finishes from a copy of itself.
wait_gone() {
  local _
  for _ in $(seq 100); do
    reg_exists "$uninstall_key" "$1" || return 0
    sleep 0.1
  done
}

check_arch() {
  local arch=$1 build=$root/build/windows/$1 sys bits triple root_dir installer
  arch_facts "$arch"
  local name=aspect-ratio-$version-$sys
  local zip=$windows_out/$name.zip
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
  # The ZIP holds the same program and the licence.
  local listed
  listed=$(unzip -Z1 "$zip" | xargs)
  [ "$listed" = "$name/LICENSE.txt $name/bin/aspect-ratio.exe" ] || fail "$arch: ZIP holds $listed"
  unzip -p "$zip" "$name/bin/aspect-ratio.exe" | cmp -s - "$exe" || fail "$arch: ZIP's program differs"

  local t
  t=$(ms)
  wine "$installer" /S || fail "$arch: installer exit status $?"
  say "$arch: silent install took $(took "$t")"
  local dir="$prefix/drive_c/$root_dir/Aspect ratio"
  local link="Aspect ratio ($bits-bit)/Calculate aspect ratio.lnk"
  [ -f "$dir/bin/aspect-ratio.exe" ] || fail "$arch: not installed in C:\\$root_dir\\Aspect ratio\\bin"
  cmp -s "$dir/LICENSE.txt" "$root/LICENSE" || fail "$arch: no LICENSE.txt installed"
  [ "$(shortcuts)" = "./$link;" ] || fail "$arch: Start-menu shortcuts $(shortcuts)"
  # The shortcut starts the installed program (and so shows its icon).
  grep -qa 'aspect-ratio.exe' "$prefix/drive_c/ProgramData/$menu/$link" || fail "$arch: shortcut target"
  local publisher shown icon uninstall display
  publisher=$(reg_value "$uninstall_key" "$bits" Publisher)
  shown=$(reg_value "$uninstall_key" "$bits" DisplayVersion)
  icon=$(reg_value "$uninstall_key" "$bits" DisplayIcon)
  uninstall=$(reg_value "$uninstall_key" "$bits" UninstallString)
  display=$(reg_value "$uninstall_key" "$bits" DisplayName)
  say "$arch: Add/Remove Programs ($bits-bit view): '$display', publisher '$publisher', version '$shown', icon '$icon'"
  [ "$display" = "Aspect ratio ($bits-bit)" ] || fail "$arch: display name '$display'"
  [ "$publisher" = Morlane ] || fail "$arch: publisher '$publisher'"
  [ "$shown" = "$version" ] || fail "$arch: version '$shown'"
  [[ "$icon" == *'\bin\aspect-ratio.exe' ]] || fail "$arch: icon '$icon'"
  [ -n "$uninstall" ] || fail "$arch: no uninstaller registered"

  wine "$check" window "C:\\$root_dir\\Aspect ratio\\bin\\aspect-ratio.exe" ||
    fail "$arch: the installed program's window"

  t=$(ms)
  wine "C:\\$root_dir\\Aspect ratio\\Uninstall.exe" /S || fail "$arch: uninstaller exit status"
  wait_gone "$bits"
  for _ in $(seq 50); do [ -e "$dir" ] || break; sleep 0.1; done
  say "$arch: silent uninstall took $(took "$t")"
  [ ! -e "$dir" ] || fail "$arch: left behind: $(find "$dir" | head -5 | xargs)"
  [ -z "$(shortcuts)" ] || fail "$arch: shortcuts left behind: $(shortcuts)"
  local view
  for view in 32 64; do
    reg_exists "$uninstall_key" "$view" && fail "$arch: uninstall key left in the $view-bit view"
    reg_exists 'HKLM\Software\Morlane' "$view" && fail "$arch: HKLM\\Software\\Morlane left in the $view-bit view"
  done
  reg_exists 'HKCU\Software\Morlane' 64 && fail "$arch: HKCU\\Software\\Morlane written"
  local left
  left=$(find "$prefix/drive_c" -iname '*aspect*' -not -path '*/users/*/Temp/*' | head -5)
  [ -z "$left" ] || fail "$arch: left behind: $left"
  return 0
}

t=$(ms)
fresh_prefix ""
say "fresh prefix took $(took "$t")"
for arch in "${windows_arches[@]}"; do
  check_arch "$arch"
done

# What a user meets, and what an attacker would try, one case a row; each in a fresh
# prefix, since one case's leftovers would hide another's.
# The 32-bit checker runs on either Windows.
walker=$root/build/windows/i686/aspect-install-check.exe
# (Through a file: a pipe would be held open by the programs Wine starts on the way.)
walk() {
  wine "$walker" walk "$@" >"$wine_base/tmp/walk.out" 2>&1 || true
  tr -d '\r' <"$wine_base/tmp/walk.out"
}
expect() { grep -qF -- "$2" <<<"$3" || fail "$1: no \"$2\" in: $(head -c 600 <<<"$3")"; }
hungarian() { LOCPATH=$locales LANG=hu_HU.UTF-8 "$@"; }
english() { LANG=C.UTF-8 "$@"; }

# Pages, shortcut and entry in the system's language; the licence on its page; a folder of
# the user's choosing removed with the program; the uninstaller in the installed language
# even when the system's language has changed since.
case_language() {
  local lang=$1 arch=$2 folder=$3 welcome=$4 display=$5 shortcut=$6 uninstall_page=$7
  local sys bits triple root_dir installer out
  arch_facts "$arch"
  fresh_prefix ""
  out=$($lang walk "$folder" "\"$(winepath -w "$installer")\"")
  expect "$lang $arch installer" "$welcome" "$out"
  expect "$lang $arch licence page" "Permission is hereby granted, free of charge" "$out"
  expect "$lang $arch installer" "exit 0" "$out"
  [ "$folder" = - ] && folder=$display
  [ "$(shortcuts)" = "./$folder/$shortcut.lnk;" ] || fail "$lang $arch: shortcuts $(shortcuts)"
  local shown
  shown=$(reg_value "$uninstall_key" "$bits" DisplayName)
  [ "$shown" = "$display" ] || fail "$lang $arch: display name '$shown'"
  # In place (_?=): the copy of itself an uninstaller otherwise goes on in is not always
  # seen starting under Wine.
  out=$(english walk - "\"C:\\$root_dir\\Aspect ratio\\Uninstall.exe\" _?=C:\\$root_dir\\Aspect ratio")
  expect "$lang $arch uninstaller" "$uninstall_page" "$out"
  wait_gone "$bits"
  [ -z "$(shortcuts)" ] || fail "$lang $arch: shortcuts left behind: $(shortcuts)"
  [ ! -d "$prefix/drive_c/ProgramData/$menu/$folder" ] ||
    fail "$lang $arch: folder $folder left behind: $(ls -A "$prefix/drive_c/ProgramData/$menu/$folder")"
}

# The user's own PATH entry, in the folder the program is installed into, survives an
# install, a reinstall and an uninstall, as REG_SZ; a reinstall leaves one program, one
# shortcut and one entry.
case_path() {
  local sys bits triple root_dir installer
  arch_facts x86_64
  fresh_prefix ""
  local path='C:\Tools\bin;C:\Mine\scripts'
  wine reg add 'HKCU\Environment' /v PATH /t REG_SZ /d "$path" /f >/dev/null 2>&1
  mkdir -p "$prefix/drive_c/Tools/bin"
  echo mine >"$prefix/drive_c/Tools/bin/tool.cmd"
  wine "$installer" /S '/D=C:\Tools'
  wine "$installer" /S '/D=C:\Tools'
  [ "$(shortcuts)" = "./Aspect ratio (64-bit)/Calculate aspect ratio.lnk;" ] ||
    fail "reinstall: shortcuts $(shortcuts)"
  [ -f "$prefix/drive_c/Tools/bin/aspect-ratio.exe" ] || fail "reinstall: no program"
  [ "$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /reg:64 |
    grep -ci 'aspect')" = 1 ] || fail "reinstall: not one Add/Remove Programs entry"
  wine 'C:\Tools\Uninstall.exe' /S
  wait_gone 64
  local now
  now=$(reg_value 'HKCU\Environment' 64 PATH)
  [ "$now" = "$path" ] || fail "PATH after uninstalling is $now"
  [ -f "$prefix/drive_c/Tools/bin/tool.cmd" ] || fail "the user's own tool was removed"
}

# Both architectures side by side, uninstalled in either order: each keeps its own
# shortcut and entry until it goes.
case_side_by_side() {
  local first=$1 second=$2 sys bits triple root_dir installer
  fresh_prefix ""
  local arch
  for arch in x86_64 i686; do
    arch_facts "$arch"
    wine "$installer" /S
  done
  local both="./Aspect ratio (32-bit)/Calculate aspect ratio.lnk;./Aspect ratio (64-bit)/Calculate aspect ratio.lnk;"
  [ "$(shortcuts)" = "$both" ] || fail "side by side: shortcuts $(shortcuts)"
  arch_facts "$first"
  wine "C:\\$root_dir\\Aspect ratio\\Uninstall.exe" /S
  wait_gone "$bits"
  arch_facts "$second"
  [ "$(shortcuts)" = "./Aspect ratio ($bits-bit)/Calculate aspect ratio.lnk;" ] ||
    fail "$first uninstalled first: shortcuts $(shortcuts)"
  [ "$(reg_value "$uninstall_key" "$bits" DisplayName)" = "Aspect ratio ($bits-bit)" ] ||
    fail "$first uninstalled first: the $second entry is gone"
  [ -f "$prefix/drive_c/$root_dir/Aspect ratio/bin/aspect-ratio.exe" ] ||
    fail "$first uninstalled first: the $second program is gone"
}

# The 64-bit installer refuses 32-bit Windows, saying why in the system's language.
case_refuse() {
  local lang=$1 message=$2 sys bits triple root_dir installer out
  arch_facts x86_64
  fresh_prefix -32
  out=$($lang walk - "\"$(winepath -w "$installer")\"")
  expect "$lang 32-bit Windows" "$message" "$out"
  grep -qx 'exit 0' <<<"$out" && fail "$lang 32-bit Windows: the 64-bit installer succeeded"
  [ ! -e "$prefix/drive_c/Program Files/Aspect ratio" ] || fail "$lang 32-bit Windows: installed"
}

# Two builds of one commit give the same bytes: the shipped programs and packages are made
# again from a copy of the sources in another folder, with another time zone and umask
# (only the program, with ccache, so it costs little), and SHA256SUMS compared.
reproduce() {
  local copy=$root/build/windows/repro/src t
  t=$(ms)
  rm -rf "$copy"
  mkdir -p "$copy"
  (cd "$root" && git ls-files -z | xargs -0 tar -cf - --) | tar -xf - -C "$copy"
  (
    umask 002
    export TZ=XYZ-5
    if command -v ccache >/dev/null; then
      export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$root
    fi
    cd "$copy"
    # shellcheck source=build-windows.sh
    source scripts/build-windows.sh
    for arch in "${windows_arches[@]}"; do
      windows_build "$arch" OFF >/dev/null
      windows_package "$arch" >/dev/null
    done
    windows_sums >/dev/null
  ) >"$root/build/windows/repro.log" 2>&1 || { cat "$root/build/windows/repro.log"; return 1; }
  say "second build in another folder, time zone and umask took $(took "$t")"
  diff "$windows_out/SHA256SUMS" "$copy/build/windows/SHA256SUMS" >&2 ||
    fail "two builds of one commit differ"
}
reproduce >"$wine_base/tmp/reproduce.out" 2>&1 &
reproducing=$!

t=$(ms)
case_language hungarian x86_64 - "Üdvözli a(z) Képarány Telepítő Varázsló" \
  "Képarány (64 bites)" "Képarány számoló" "A(z) Képarány Eltávolítása"
case_language english i686 "My Tools" "Welcome to Aspect ratio Setup" \
  "Aspect ratio (32-bit)" "Calculate aspect ratio" "Uninstall Aspect ratio"
case_path
case_side_by_side x86_64 i686
case_side_by_side i686 x86_64
case_refuse hungarian "Ez a telepítő 64 bites Windowshoz készült"
case_refuse english "This installer is for 64-bit Windows"
say "installer cases took $(took "$t")"

# A signed build: a throw-away authority and code-signing certificate, the x86_64 packages
# signed twice (the same bytes), each program verifying against that authority, and the
# signature removed giving back the unsigned program.
case_signed() {
  local keys=$root/build/windows/sign out=$root/build/windows/signed
  rm -rf "$keys" "$out"
  mkdir -p "$keys" "$out/1" "$out/2"
  (
    cd "$keys"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650 \
      -subj "/CN=Throw-away test CA" -addext basicConstraints=critical,CA:TRUE \
      -addext keyUsage=critical,keyCertSign
    openssl req -newkey rsa:2048 -nodes -keyout key.pem -out sign.csr -subj "/CN=Morlane test"
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >ext
    openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
      -extfile ext -out cert.pem
    cat cert.pem ca.pem >chain.pem
  ) >/dev/null 2>&1 || { fail "signed: cannot make the test certificates"; return; }
  local n
  for n in 1 2; do
    ASPECT_SIGN_CERT=$keys/chain.pem ASPECT_SIGN_KEY=$keys/key.pem windows_package x86_64 "$out/$n" >/dev/null
  done
  local sys bits triple root_dir installer
  arch_facts x86_64
  local name=aspect-ratio-$version-$sys
  cmp "$out/1/$name.exe" "$out/2/$name.exe" >&2 || fail "signed: two signed installers differ"
  cmp "$out/1/$name.zip" "$out/2/$name.zip" >&2 || fail "signed: two signed ZIPs differ"
  unzip -p "$out/1/$name.zip" "$name/bin/aspect-ratio.exe" >"$out/program.exe"
  fresh_prefix ""
  wine "$out/1/$name.exe" /S
  local dir="$prefix/drive_c/$root_dir/Aspect ratio" file
  for file in "$out/1/$name.exe" "$out/program.exe" "$dir/bin/aspect-ratio.exe" "$dir/Uninstall.exe"; do
    osslsigncode verify -CAfile "$keys/ca.pem" -in "$file" >"$out/verify.log" 2>&1 ||
      fail "signed: $(basename "$file") does not verify: $(tail -3 "$out/verify.log")"
  done
  osslsigncode remove-signature -in "$out/program.exe" -out "$out/unsigned.exe" >/dev/null
  cmp "$out/unsigned.exe" "$root/build/windows/x86_64/src/window/win32/aspect-ratio.exe" >&2 ||
    fail "signed: removing the signature does not give back the unsigned program"
}
t=$(ms)
case_signed
say "signed build checks took $(took "$t")"

wait "$reproducing" || fail "the second build failed"
cat "$wine_base/tmp/reproduce.out"
grep -q FAIL "$wine_base/tmp/reproduce.out" && failures=$((failures + 1))

if [ "$failures" -ne 0 ]; then
  echo "installers: $failures check(s) failed" >&2
  exit 1
fi
say "all passed"
