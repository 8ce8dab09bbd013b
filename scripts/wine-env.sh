# Sourced by the run and test scripts (and by developers): a private Wine prefix under the build
# folder with the UI font mapped, a virtual display when none exists, and a quiet Wine.
# Usage: source scripts/wine-env.sh [build-folder]
_rova_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_rova_build=${1:-${ROVA_BUILD_DIR:-$_rova_root/build}}
mkdir -p "$_rova_build"
_rova_build=$(cd "$_rova_build" && pwd)
export WINEPREFIX=${ROVA_WINEPREFIX:-$_rova_build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${ROVA_WINEDEBUG:--all}
# No prompts for the .NET and HTML runtimes: the console needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display itself and reports its number (stale lock files do not matter).
  _rova_fifo=$(mktemp -u /tmp/rova-xvfb.XXXXXX)
  mkfifo "$_rova_fifo"
  Xvfb -displayfd 3 -screen 0 ${ROVA_SCREEN:-1920x1080x24} -nolisten tcp 3>"$_rova_fifo" >/dev/null 2>&1 &
  export ROVA_XVFB_PID=$!
  _rova_display=$(timeout 10 head -n1 "$_rova_fifo" || true)
  rm -f "$_rova_fifo"
  if [ -n "$_rova_display" ]; then
    export DISPLAY=:$_rova_display
  else
    echo "wine-env: could not start Xvfb" >&2
  fi
  unset _rova_fifo _rova_display
fi

if [ ! -f "$WINEPREFIX/.rova-ready" ]; then
  echo "wine: preparing a private prefix in $WINEPREFIX (once)" >&2
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  # GDI+ draws nothing for the UI font face unless it is mapped to an installed font.
  reg="$WINEPREFIX/rova-fonts.reg"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n"\xe9\xbb\x91\xe4\xbd\x93"="WenQuanYi Zen Hei"\r\n"SimHei"="WenQuanYi Zen Hei"\r\n' \
    | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  wine regedit /S "$reg" >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  touch "$WINEPREFIX/.rova-ready"
fi
if [ ! -f "$WINEPREFIX/.rova-fontlink" ]; then
  # Message boxes and the library's dialogs use the system's Latin fonts: Chinese texts in them
  # need a linked font, or they show as empty boxes.
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "wqy-zenhei.ttc,WenQuanYi Zen Hei" /f >/dev/null 2>&1 || true
  done
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  touch "$WINEPREFIX/.rova-fontlink"
fi
# On the virtual display no window manager runs: Wine must not wait for one, or every dialog that
# closes stalls for seconds. On a desktop the window manager frames the windows as usual.
_rova_managed=$([ -n "${ROVA_XVFB_PID:-}" ] && echo N || echo Y)
if [ "$(cat "$WINEPREFIX/.rova-managed" 2>/dev/null)" != "$_rova_managed" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$_rova_managed" /f >/dev/null 2>&1 || true
  echo "$_rova_managed" > "$WINEPREFIX/.rova-managed"
fi
unset _rova_root _rova_build _rova_managed
