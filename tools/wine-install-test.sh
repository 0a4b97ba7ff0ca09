#!/usr/bin/env bash
# Installs Quonabix under Wine as a user would and takes it away again:
# the silent installer puts the program, its Start-menu entry and its
# uninstall key in place; the installed program keeps its settings and
# start log in %APPDATA%\Quonabix\, a copy unpacked from the zip beside
# itself; the silent uninstaller removes everything but those settings.
#   wine-install-test.sh SETUP.EXE ZIP
# A case of the Windows build's CTest, run by tools/wine-test.sh in its own
# Wine prefix and display; without a prefix of its own it is skipped (77),
# so that it never installs into a user's Wine.
set -euo pipefail
setup="$(realpath "$1")" zip="$(realpath "$2")"
[ -n "${WINEPREFIX:-}" ] || { echo "skipped: needs the Wine prefix of tools/wine-test.sh"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quonabix'
folder() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')" | tr -d '\r'; }
appdata="$(folder APPDATA)"
settings="$appdata/Quonabix"
programs="$(folder LOCALAPPDATA)/Programs/Quonabix"
startmenu="$appdata/Microsoft/Windows/Start Menu/Programs/Quonabix.lnk"
rm -rf "$settings"

lines() { if [ -f "$1" ]; then grep -c . "$1" || true; else echo 0; fi; }
# Starts a program and waits for the line of this start in the start log
# of the given folder.
start() {
  local before
  before="$(lines "$2/lauf.txt")"
  wine "$1" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 150); do [ "$(lines "$2/lauf.txt")" -gt "$before" ] && return; sleep 0.2; done
  kill "$pid"
  fail "$1 wrote no start log into $2"
}
# Closes the program's window as the user does: it saves its settings and
# ends with exit code 0. The close is sent again until the window is there
# to take it.
close() {
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    wine taskkill /IM quonabix.exe >/dev/null 2>&1 || true
    sleep 0.3
  done
  wait "$pid" || fail "$1 ended with exit code $?"
  grep -q '^Datei-Muster=' "$2/quonabix.ini" || fail "$1 saved no settings into $2"
}
run() { start "$@" && close "$@"; }
uninstalled() {
  for _ in $(seq 50); do [ -e "$programs" ] || break; sleep 0.2; done
  [ ! -e "$programs" ]
}

wine "$setup" /S || fail "the installer ended with exit code $?"
for file in quonabix.exe quonabix-undo.exe Liesmich.txt Uninstall.exe; do
  [ -f "$programs/$file" ] || fail "$file not installed in $programs"
done
[ -f "$startmenu" ] || fail "no Start-menu entry"
entry="$(wine reg query "$key" | tr -d '\r')" || fail "no uninstall key"
for value in DisplayName DisplayVersion Publisher DisplayIcon UninstallString QuietUninstallString \
             InstallLocation NoModify NoRepair; do
  grep -q "^ *$value " <<<"$entry" || fail "the uninstall key has no $value"
done
grep -q 'DisplayVersion *REG_SZ *2\.09$' <<<"$entry" || fail "DisplayVersion is not 2.09"

run "$programs/quonabix.exe" "$settings"
for file in quonabix.ini lauf.txt; do
  [ ! -e "$programs/$file" ] || fail "the installed program wrote $file beside itself"
done

# A copy unpacked from the zip is no installed program, while one is installed too.
(cd "$work" && cmake -E tar xf "$zip")
run "$work/Quonabix/quonabix.exe" "$work/Quonabix"
[ "$(lines "$settings/lauf.txt")" -eq 1 ] || fail "the unpacked copy wrote its start log into $settings"

# The uninstaller runs as a copy of itself from the temporary folder. While
# the program runs it takes nothing away, nor does the installer replace
# anything; once the program has ended, the uninstaller takes everything.
start "$programs/quonabix.exe" "$settings"
if wine "$setup" /S; then fail "the installer went on while the program ran"; fi
wine "$programs/Uninstall.exe" /S || true
if uninstalled || ! wine reg query "$key" >/dev/null 2>&1 || [ ! -f "$programs/quonabix-undo.exe" ]; then
  fail "the uninstaller took part of the installation while the program ran"
fi
close "$programs/quonabix.exe" "$settings"
wine "$programs/Uninstall.exe" /S || fail "the uninstaller ended with exit code $?"
uninstalled || fail "the uninstaller left $(ls "$programs")"
[ ! -e "$startmenu" ] || fail "the uninstaller left the Start-menu entry"
if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstaller left its key"; fi
[ -s "$settings/quonabix.ini" ] && [ -s "$settings/lauf.txt" ] || fail "the uninstaller took the settings"
echo "Installed, started, unpacked and uninstalled as a user would."
