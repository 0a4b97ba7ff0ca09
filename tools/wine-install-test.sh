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

# Starts a program, waits for its start log in the given folder, then closes
# its window as the user does: the program saves its settings and ends with
# exit code 0. The close is sent again until the window is there to take it.
run() {
  local program="$1" log="$2/lauf.txt" pid
  wine "$program" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 150); do [ -s "$log" ] && break; sleep 0.2; done
  [ -s "$log" ] || { kill "$pid"; fail "$program wrote no start log into $2"; }
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    wine taskkill /IM quonabix.exe >/dev/null 2>&1 || true
    sleep 0.3
  done
  wait "$pid" || fail "$program ended with exit code $?"
  grep -q '^Datei-Muster=' "$2/quonabix.ini" || fail "$program saved no settings into $2"
}
lines() { grep -c . "$1" 2>/dev/null || true; }

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

# The uninstaller runs as a copy of itself from the temporary folder.
wine "$programs/Uninstall.exe" /S || fail "the uninstaller ended with exit code $?"
for _ in $(seq 100); do [ -e "$programs" ] || break; sleep 0.2; done
[ ! -e "$programs" ] || fail "the uninstaller left $(ls "$programs")"
[ ! -e "$startmenu" ] || fail "the uninstaller left the Start-menu entry"
if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstaller left its key"; fi
[ -s "$settings/quonabix.ini" ] && [ -s "$settings/lauf.txt" ] || fail "the uninstaller took the settings"
echo "Installed, started, unpacked and uninstalled as a user would."
