#!/usr/bin/env bash
# The packages of this build, as a Windows user meets them, in a fresh Wine prefix of the test's own:
# - an older release installs silently; the operator changes settings and radar configuration and
#   leaves logs and recordings; this build's installer upgrades it silently, keeps all of those,
#   registers the new version, and the installed console shows its main window;
# - a silent uninstall removes the program, its shortcut and its installed-apps entry and keeps the
#   operator's files; a copy of the uninstaller in another folder removes nothing there nor of the
#   installation, and a silent one ends with an error; so does one while a console tool runs from
#   the program folder;
# - a silent upgrade while a console tool runs from the program folder, or while a program file is
#   held open, ends with an error and leaves the older release whole;
# - a radar configuration the operator never changed follows the new release's default on upgrade
#   and goes with the program on uninstall; the uninstaller with its pages asks before it removes
#   the operator's files and removes them on Yes, and removes a link under SaveData\ as a link,
#   never what it points to;
# - "start with Windows" (/AUTOSTART, silently) adds the user's Run entry for the installed console;
#   a setup that does not choose it adds none and keeps one an earlier install added; every
#   uninstall removes it;
# - the portable zip unpacked into any folder runs the same way.
# Uses dist/ROVA_MTT-<version>-setup.exe and -portable.zip (scripts/package, called by scripts/test).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"
source "$here/../../packaging/stage.sh"
: "${ROVA_SOURCE_DIR:?run through ctest}"

build=$(cd "$ROVA_BIN_DIR/.." && pwd)
version=$(cat "$build/rova_version.txt")
dist=${ROVA_DIST_DIR:-$ROVA_SOURCE_DIR/dist}
setup=$dist/ROVA_MTT-$version-setup.exe
zip=$dist/ROVA_MTT-$version-portable.zip
[ -f "$setup" ] && [ -f "$zip" ] || e2e_fail "no packages of $version in $dist: run scripts/package"
# The console, our DLLs and console tools: what scripts/package ships.
mapfile -t program < <(cd "$ROVA_BIN_DIR" && ls ROVA_*.exe ROVA_*.dll)

E2E_DIR=$(mktemp -d /tmp/rova_package.XXXXXX)
tmp=$E2E_DIR
# Wine must not touch the real home (desktop, start-menu entries of the host) nor other prefixes.
export XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
export HOME=$tmp/home
mkdir -p "$HOME"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  if [ -d "$tmp/prefix" ]; then
    # Ends only this prefix's programs, and waits for them before the folder goes.
    WINEPREFIX=$tmp/prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$tmp/prefix timeout 20 wineserver -w 2>/dev/null || true
  fi
  e2e_cleanup
}
trap cleanup EXIT

# A fresh prefix costs most of this test's time: make one once per build folder, never use it,
# and start every run from a copy of it.
template=$build/package-test-prefix
if [ ! -f "$template/.rova-ready" ]; then
  rm -rf "$template.new"
  (
    export WINEPREFIX=$template.new
    wineboot -i >/dev/null 2>&1 || true
    # No window manager on the test display: Wine must not wait for one.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
  )
  # Wine links Desktop, Documents and the like to the home folder it saw, a temporary one here:
  # the prefix gets folders of its own instead.
  find "$template.new/drive_c/users" -mindepth 2 -maxdepth 2 -type l | while read -r link; do
    rm "$link" && mkdir "$link"
  done
  rm -rf "$template"
  mv "$template.new" "$template"
  touch "$template/.rova-ready"
fi
cp -a "$template" "$tmp/prefix"
export WINEPREFIX=$tmp/prefix

user_dir=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
inst=$user_dir/AppData/Local/Programs/ROVA_MTT
start_menu=$user_dir/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ROVA_MTT'

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
reg_value() { wine reg query "${2:-$key}" /v "$1" 2>/dev/null | tr -d '\r' | awk -v v="$1" '$1 == v { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
run_entry() { reg_value ROVA_MTT "$run_key"; }
# install SETUP [options]: silently, with the setup's own options (/AUTOSTART).
install() {
  local setup_exe=$1; shift
  wine "$setup_exe" /S "$@" || e2e_fail "silent install of $(basename "$setup_exe") $* ended with $?"
}
# The uninstaller runs on from a copy of itself: wait until every program of the prefix ended.
uninstall() {
  wine "$inst/uninstall.exe" /S || e2e_fail "silent uninstall ended with $?"
  timeout 60 wineserver -w || e2e_fail "uninstaller did not end"
}
same() { cmp -s "$1" "$2" || e2e_fail "$3"; }
# Every file under FOLDER with its time stamp and checksum: what a refused setup must leave alone.
snapshot() { (cd "$1" && find . -type f -printf '%p %T@ ' -exec sh -c 'sha256sum < "$1"' _ {} \; | sort); }

# hold run|lock FILE: keeps FILE of the installation busy (rova_hold.exe) until release.
hold_flag=$WINEPREFIX/drive_c/rova_hold.flag
hold() {
  rm -f "$hold_flag"
  wine "$ROVA_BIN_DIR/rova_hold.exe" "$1" "$win_inst\\$2" 'C:\rova_hold.flag' >/dev/null 2>&1 &
  hold_pid=$!
  for _ in $(seq 1 150); do
    [ -f "$hold_flag" ] && return 0
    kill -0 "$hold_pid" 2>/dev/null || break
    sleep 0.2
  done
  e2e_fail "could not $1 $2"
}
release() {
  rm -f "$hold_flag"
  wait "$hold_pid" || e2e_fail "rova_hold ended with $?"
}

# The uninstaller with its pages, answered Yes to everything it asks (confirm page: Uninstall; the
# operator's files: from the default No to Yes; finish page: Close).
uninstall_windows() { xdotool search --onlyvisible --name "ROVA MTT .* Uninstall" 2>/dev/null | wc -l; }
wait_uninstall_windows() {
  for _ in $(seq 1 100); do [ "$(uninstall_windows)" -ge "$1" ] && return 0; sleep 0.2; done
  return 1
}

# Starts the console from FOLDER and waits for its main window.
start_console() {
  local folder=$1
  (cd "$folder" && exec wine ./ROVA_MTT.exe) >/dev/null 2>&1 &
  E2E_PID=$!
  e2e_wait_window 60 || e2e_fail "no main window of the console in $folder"
  [ -f "$folder/appConfig.xml" ] || e2e_fail "console in $folder wrote no appConfig.xml beside itself"
}
close_console() {
  e2e_key alt+F4
  e2e_wait_exit 20 || e2e_fail "Alt+F4 did not end the console"
}

# What the packages must hold: the build's binaries without debug information.
mkdir "$tmp/shipped"
rova_strip_binaries "$tmp/shipped" "${program[@]/#/$ROVA_BIN_DIR/}"
cp "$ROVA_BIN_DIR/Radar_Config.ini" "$tmp/shipped/"

# An older release whose default radar configuration differs from this build's.
mkdir "$tmp/oldbin"
cp "$tmp/shipped/"* "$tmp/oldbin/"
echo "; default of the older release" >> "$tmp/oldbin/Radar_Config.ini"
ROVA_PACKAGE_VERSION=0.9.0 ROVA_PACKAGE_BIN_DIR=$tmp/oldbin ROVA_DIST_DIR=$tmp/olddist \
  "$ROVA_SOURCE_DIR/scripts/package" >/dev/null
old_setup=$tmp/olddist/ROVA_MTT-0.9.0-setup.exe

# ---- older release, operator's changes, upgrade ----------------------------------------------
install "$old_setup"
[ -f "$inst/ROVA_MTT.exe" ] || e2e_fail "older release not installed to the local programs folder"
[ "$(reg_value DisplayVersion)" = "0.9.0" ] || e2e_fail "older release registered as '$(reg_value DisplayVersion)'"
[ -z "$(run_entry)" ] || e2e_fail "a setup without /AUTOSTART added the Run entry '$(run_entry)'"
same "$inst/Radar_Config.ini" "$tmp/oldbin/Radar_Config.ini" "fresh install did not place the default radar configuration"

printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" SaveData="0" ObjectWnd_GateMax="12.5" />\n' > "$inst/appConfig.xml"
sed -i 's/^DeviceBaudRate=921600/DeviceBaudRate=115200/' "$inst/Radar_Config.ini"
grep -q '^DeviceBaudRate=115200' "$inst/Radar_Config.ini" || e2e_fail "could not change the radar configuration"
mkdir -p "$inst/Log" "$inst/SaveData"
echo "result line" > "$inst/Log/ROVA_MTT_Result_20260101_120000.txt"
echo "raw" > "$inst/SaveData/recording.dat"
cp "$inst/appConfig.xml" "$tmp/appConfig.operator"
cp "$inst/Radar_Config.ini" "$tmp/Radar_Config.operator"

install "$setup" /AUTOSTART
[ "$(reg_value DisplayVersion)" = "$version" ] || e2e_fail "upgrade registered '$(reg_value DisplayVersion)', expected $version"
for f in "${program[@]}"; do same "$inst/$f" "$tmp/shipped/$f" "installed $f is not the build's (stale package? run scripts/package)"; done
same "$inst/appConfig.xml" "$tmp/appConfig.operator" "upgrade changed the operator's appConfig.xml"
same "$inst/Radar_Config.ini" "$tmp/Radar_Config.operator" "upgrade replaced the radar configuration the operator changed"
same "$inst/Defaults/Radar_Config.ini" "$ROVA_BIN_DIR/Radar_Config.ini" "upgrade did not keep the new default radar configuration"
[ -f "$inst/Log/ROVA_MTT_Result_20260101_120000.txt" ] && [ -f "$inst/SaveData/recording.dat" ] || e2e_fail "upgrade lost logs or recordings"
[ -f "$start_menu/ROVA MTT.lnk" ] || e2e_fail "no Start-menu shortcut"

# The installed-apps entry.
[ "$(reg_value DisplayName)" = "ROVA MTT" ] || e2e_fail "DisplayName '$(reg_value DisplayName)'"
[ "$(reg_value Publisher)" = "ROVA" ] || e2e_fail "Publisher '$(reg_value Publisher)'"
win_inst=$(reg_value InstallLocation)
[ "$win_inst" = "C:\\users\\$(basename "$user_dir")\\AppData\\Local\\Programs\\ROVA_MTT" ] || e2e_fail "InstallLocation '$win_inst'"
[ "$(reg_value DisplayIcon)" = "$win_inst\\ROVA_MTT.exe,0" ] || e2e_fail "DisplayIcon '$(reg_value DisplayIcon)'"
[ "$(reg_value UninstallString)" = "\"$win_inst\\uninstall.exe\"" ] || e2e_fail "UninstallString '$(reg_value UninstallString)'"
[ "$(run_entry)" = "\"$win_inst\\ROVA_MTT.exe\"" ] || e2e_fail "/AUTOSTART left the Run entry '$(run_entry)'"
size=$(( $(reg_value EstimatedSize) ))
program_kb=$(( $(cat "${program[@]/#/$inst/}" | wc -c) / 1024 ))
[ "$size" -ge "$program_kb" ] || e2e_fail "EstimatedSize $size KB is below the program's $program_kb KB"
echo "installed $version over 0.9.0: $size KB registered"

start_console "$inst"
# Its files are in use while it runs: a silent setup stops without touching them.
touch -d @0 "$inst/ROVA_MTT.exe"
wine "$setup" /S && e2e_fail "silent setup went ahead while the console ran"
[ "$(stat -c %Y "$inst/ROVA_MTT.exe")" = 0 ] || e2e_fail "setup replaced the running console's exe"
close_console

# ---- a copy of the uninstaller elsewhere ------------------------------------------------------
# An operator's other folder, holding files of the console's names, with the uninstaller copied in.
other=$user_dir/Other
win_other="C:\\users\\$(basename "$user_dir")\\Other"
mkdir -p "$other/Log" "$other/SaveData"
cp "$inst/uninstall.exe" "$other/"
printf '<?xml version="1.0"?>\n<AppConfig Language="CHN" />\n' > "$other/appConfig.xml"
cp "$tmp/Radar_Config.operator" "$other/Radar_Config.ini"
echo "other result" > "$other/Log/other.txt"
echo "other raw" > "$other/SaveData/other.dat"
other_before=$(snapshot "$other")
installed_before=$(snapshot "$inst")
# Silent, run in place (_?=) so that its exit code is the uninstaller's own.
wine "$other/uninstall.exe" /S "_?=$win_other" && e2e_fail "silent uninstaller copied elsewhere ended with 0"
timeout 60 wineserver -w || e2e_fail "uninstaller did not end"
# With its pages, every question answered Yes.
wine "$other/uninstall.exe" >/dev/null 2>&1 &
wait_uninstall_windows 1 || e2e_fail "the uninstaller copied elsewhere showed no window"
sleep 0.5
xdotool key --clearmodifiers Return
if wait_uninstall_windows 2; then
  sleep 0.5
  xdotool key --clearmodifiers Tab Return
  sleep 1
  xdotool key --clearmodifiers Return
fi
timeout 60 wineserver -w || e2e_fail "uninstaller did not end"
[ "$(snapshot "$other")" = "$other_before" ] || e2e_fail "uninstaller copied elsewhere changed that folder: $(ls -A "$other")"
[ "$(snapshot "$inst")" = "$installed_before" ] || e2e_fail "uninstaller copied elsewhere changed the installation"
[ "$(reg_value DisplayVersion)" = "$version" ] || e2e_fail "uninstaller copied elsewhere removed the installed-apps entry"
[ -f "$start_menu/ROVA MTT.lnk" ] || e2e_fail "uninstaller copied elsewhere removed the Start-menu shortcut"
rm -rf "$other"

# ---- a console tool running from the program folder stops the uninstaller ----------------------
installed_before=$(snapshot "$inst")
hold run ROVA_Zones.exe
wine "$inst/uninstall.exe" /S "_?=$win_inst" && e2e_fail "silent uninstall ended with 0 while ROVA_Zones.exe ran"
release
[ "$(snapshot "$inst")" = "$installed_before" ] || e2e_fail "uninstall changed the installation while ROVA_Zones.exe ran"
[ "$(reg_value DisplayVersion)" = "$version" ] || e2e_fail "uninstall removed the installed-apps entry while ROVA_Zones.exe ran"

# ---- silent uninstall keeps the operator's files --------------------------------------------
uninstall
for f in "${program[@]}" uninstall.exe Defaults; do [ ! -e "$inst/$f" ] || e2e_fail "uninstall left $f"; done
[ ! -e "$start_menu/ROVA MTT.lnk" ] || e2e_fail "uninstall left the Start-menu shortcut"
wine reg query "$key" >/dev/null 2>&1 && e2e_fail "uninstall left the installed-apps entry"
[ -z "$(run_entry)" ] || e2e_fail "silent uninstall left the Run entry '$(run_entry)'"
[ -f "$inst/appConfig.xml" ] || e2e_fail "silent uninstall removed appConfig.xml"
same "$inst/Radar_Config.ini" "$tmp/Radar_Config.operator" "silent uninstall removed the changed radar configuration"
[ -f "$inst/Log/ROVA_MTT_Result_20260101_120000.txt" ] && [ -f "$inst/SaveData/recording.dat" ] || e2e_fail "silent uninstall removed logs or recordings"

# ---- an unchanged radar configuration belongs to the program ---------------------------------
rm -rf "$inst"
install "$old_setup" /AUTOSTART
[ "$(run_entry)" = "\"$win_inst\\ROVA_MTT.exe\"" ] || e2e_fail "a fresh install with /AUTOSTART left the Run entry '$(run_entry)'"

# ---- an upgrade that cannot replace every file leaves the older release whole ----------------
# Each case: how a file of the older release is kept busy. Time stamps of 0 show any rewrite,
# even of equal bytes.
for busy in "run ROVA_Zones.exe" "lock ROVA_DataProcess.dll" "lock Defaults\\Radar_Config.ini"; do
  (cd "$inst" && find . -type f -exec touch -d @0 {} +)
  before=$(snapshot "$inst")
  read -r how file <<< "$busy"
  hold "$how" "$file"
  wine "$setup" /S && e2e_fail "silent upgrade ended with 0 while it could not $busy"
  release
  [ "$(snapshot "$inst")" = "$before" ] || e2e_fail "silent upgrade that could not $busy changed the older release: $(diff <(echo "$before") <(snapshot "$inst") | head -5)"
  [ "$(reg_value DisplayVersion)" = "0.9.0" ] || e2e_fail "silent upgrade that could not $busy registered '$(reg_value DisplayVersion)'"
done

install "$setup"
same "$inst/Radar_Config.ini" "$ROVA_BIN_DIR/Radar_Config.ini" "upgrade kept the older release's default radar configuration"
[ "$(run_entry)" = "\"$win_inst\\ROVA_MTT.exe\"" ] || e2e_fail "an upgrade without /AUTOSTART dropped the Run entry: '$(run_entry)'"

# ---- an uninstall with its pages asks before it removes the operator's files ------------------
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" />\n' > "$inst/appConfig.xml"
wine "$inst/uninstall.exe" >/dev/null 2>&1 &
wait_uninstall_windows 1 || e2e_fail "the uninstaller showed no window"
sleep 0.5
xdotool key --clearmodifiers Return   # confirm page: Uninstall
wait_uninstall_windows 2 || e2e_fail "the uninstaller did not ask about the operator's files"
[ -f "$inst/appConfig.xml" ] || e2e_fail "the operator's files went before the answer"
sleep 0.5
xdotool key --clearmodifiers Tab Return   # from the default No to Yes
sleep 1
xdotool key --clearmodifiers Return   # finish page: Close
timeout 60 wineserver -w || e2e_fail "uninstaller did not end"
[ ! -e "$inst" ] || e2e_fail "uninstall answered Yes left: $(ls -A "$inst")"
wine reg query "$key" >/dev/null 2>&1 && e2e_fail "uninstall left the installed-apps entry"
[ -z "$(run_entry)" ] || e2e_fail "the uninstall with its pages left the Run entry '$(run_entry)'"

# ---- a link under SaveData\ is removed as a link ------------------------------------------------
# Recordings kept elsewhere and linked in: Wine shows a symlink to a folder made here as a reparse
# point, as Windows shows a junction. (A symlink to a file it shows as the file itself, and deletes
# what it points to: that case cannot be shown under Wine.)
install "$setup"
elsewhere=$user_dir/Recordings
mkdir -p "$elsewhere/2026" "$inst/SaveData"
echo "kept" > "$elsewhere/2026/recording.dat"
echo "raw" > "$inst/SaveData/recording.dat"
ln -s "$elsewhere" "$inst/SaveData/linked"
elsewhere_before=$(snapshot "$elsewhere")
wine "$inst/uninstall.exe" >/dev/null 2>&1 &
wait_uninstall_windows 1 || e2e_fail "the uninstaller showed no window"
sleep 0.5
xdotool key --clearmodifiers Return
wait_uninstall_windows 2 || e2e_fail "the uninstaller did not ask about the operator's files"
sleep 0.5
xdotool key --clearmodifiers Tab Return
sleep 1
xdotool key --clearmodifiers Return
timeout 60 wineserver -w || e2e_fail "uninstaller did not end"
[ "$(snapshot "$elsewhere")" = "$elsewhere_before" ] || e2e_fail "uninstall followed a link under SaveData\\: $(find "$elsewhere" | tr '\n' ' ')"
[ ! -e "$inst/SaveData/recording.dat" ] || e2e_fail "uninstall answered Yes kept SaveData\\recording.dat"
wine reg query "$key" >/dev/null 2>&1 && e2e_fail "uninstall left the installed-apps entry"
rm -rf "$inst"

# ---- portable zip ------------------------------------------------------------------------------
unzip -q "$zip" -d "$tmp/USB stick"
portable="$tmp/USB stick/ROVA_MTT-$version"
expected=$(printf '%s\n' "${program[@]}" Radar_Config.ini | sort)
[ "$(ls "$portable" | sort)" = "$expected" ] || e2e_fail "zip holds: $(ls "$portable" | tr '\n' ' ')"
for f in "${program[@]}" Radar_Config.ini; do same "$portable/$f" "$tmp/shipped/$f" "zipped $f is not the build's"; done
start_console "$portable"
close_console
e2e_pass
