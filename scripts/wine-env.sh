# A private Wine environment under build/windows/wine, sourced by scripts/test-windows.sh
# and scripts/bench.sh: nothing outside build/ is read or written (no user's prefix,
# registry, menus or browser), Wine's virtual desktop under an Xvfb started here, the
# layout's faces (Arial and Georgia) mapped to the Liberation ones in these prefixes only.
# A 64-bit prefix runs both x86_64 and i686 programs (through wine32). Several environments
# can run at once, each in a subshell with its own prefix and display.
#
#   wine_env               exports the variables; call before any other function
#   wine_display           starts Xvfb on a free display and exports DISPLAY
#   wine_prefix <folder>   makes <folder> the prefix (created and set up when new) with
#                          one persistent server, and exports WINEPREFIX
#   wine_cleanup           stops the servers of the prefixes used and the Xvfb (only those)

wine_base=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/windows/wine
wine_used_prefixes=()
wine_xvfb_pid=

wine_env() {
  mkdir -p "$wine_base"/{home,config,data,cache,tmp}
  export HOME=$wine_base/home XDG_CONFIG_HOME=$wine_base/config XDG_DATA_HOME=$wine_base/data \
    XDG_CACHE_HOME=$wine_base/cache TMPDIR=$wine_base/tmp
  export WINEARCH=win64 WINEDEBUG=-all
  # No Mono or Gecko installers, no menu entries, no real browser.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winebrowser.exe=d"
  unset WAYLAND_DISPLAY WINEPREFIX
}

wine_display() {
  local fd_file=$wine_base/tmp/xvfb-display.$BASHPID
  rm -f "$fd_file"
  # -displayfd picks a free display and writes its number once the server is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" \
    2>"$wine_base/tmp/xvfb.log" &
  wine_xvfb_pid=$!
  local _
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$fd_file" ]; then
    echo "wine: Xvfb did not start:" >&2
    cat "$wine_base/tmp/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$(tr -d '\n' <"$fd_file")"
}

wine_prefix() {
  export WINEPREFIX=$1
  wine_used_prefixes+=("$1")
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
  fi
  # Wait for the prefix's processes (wineboot's, a previous run's) to end, then keep one
  # server for every program of the run: a server per program costs seconds.
  wineserver -w
  wineserver -p
  local reg=$WINEPREFIX/aspect-settings.reg
  cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Arial"="Liberation Sans"
"Georgia"="Liberation Serif"

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Arial"="Liberation Sans"
"Georgia"="Liberation Serif"
EOF
  wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
  # Wine's own Tahoma and system faces: the frame's caption buttons need them.
  if [ -d /usr/share/wine/fonts ]; then
    cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  # Start Wine's services now, away from ctest's pipes: a service that inherits a test's
  # output pipe would keep ctest waiting for it to close.
  wine cmd.exe /c exit >/dev/null 2>&1
  # Keep the virtual desktop open for the whole run: otherwise each GUI program starts
  # it anew, and it lingers holding the program's output pipe for about 2 s after the
  # program ends (ctest then waits that long for every test). The server stops it at
  # cleanup.
  if [ -n "${DISPLAY:-}" ]; then
    wine explorer.exe /desktop=Default,1024x768 >/dev/null 2>&1 &
    disown $!
  fi
}

wine_cleanup() {
  local prefix environ pid
  for prefix in "${wine_used_prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    # A crashed server leaves its programs behind (Wine's services among them), which
    # the new server cannot see: end those of this prefix too, each by its id.
    for environ in /proc/[0-9]*/environ; do
      pid=${environ#/proc/}
      pid=${pid%/environ}
      if [ "$pid" != $$ ] && [ "$pid" != "$BASHPID" ] &&
         grep -qxzF "WINEPREFIX=$prefix" "$environ" 2>/dev/null; then
        kill -9 "$pid" 2>/dev/null || true
      fi
    done
  done
  if [ -n "$wine_xvfb_pid" ]; then
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wait "$wine_xvfb_pid" 2>/dev/null || true
  fi
}
