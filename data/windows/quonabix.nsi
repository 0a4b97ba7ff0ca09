; The installer of Quonabix for Windows: puts the two programs and the
; Liesmich.txt into a folder of the current user (no administrator rights),
; adds a Start-menu entry and registers the uninstaller with Windows. The
; installed program finds its folder under the uninstall key and keeps its
; settings in %APPDATA%\Quonabix\, which the uninstaller leaves in place.
;
; Built by CMake (target quonabix_setup), which defines VERSION ("2.09"),
; FILE_VERSION ("2.9.0.0"), PROGRAM, UNDO, README, ICON and OUTFILE.

; A 64-bit installer for the 64-bit programs: it runs wherever they run.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quonabix"
!define PUBLISHER "Quonabix-Team"

Name "Quonabix"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quonabix"
; Installed again, it goes where it went before.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quonabix ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\quonabix.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "Quonabix"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Quonabix ${VERSION} installieren"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "© ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "OriginalFilename" "quonabix-${VERSION}-setup.exe"

!define STILL_RUNNING "Quonabix läuft noch. Bitte beenden Sie das Programm und starten Sie"

; A program that still runs cannot be replaced: then nothing is changed,
; rather than leaving an old program beside a new quonabix-undo.exe.
Section
  SetShellVarContext current
  ${If} ${FileExists} "$INSTDIR\quonabix.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\quonabix.exe" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "${STILL_RUNNING} die Installation erneut." /SD IDOK
      Abort
    ${EndIf}
    FileClose $0
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "/oname=quonabix.exe" "${PROGRAM}"
  File "/oname=quonabix-undo.exe" "${UNDO}"
  File "/oname=Liesmich.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quonabix.lnk" "$INSTDIR\quonabix.exe" "" "$INSTDIR\quonabix.exe" 0 \
    SW_SHOWNORMAL "" "Viele Dateien eines Ordners in einem Schritt umbenennen"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quonabix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quonabix.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer put in place goes; the folder itself only when
; nothing else is left in it, and the user's settings stay. A program that
; still runs cannot be deleted: then nothing is taken away, so that the
; entry under "Apps" still leads to a whole installation.
Section "Uninstall"
  SetShellVarContext current
  ClearErrors
  Delete "$INSTDIR\quonabix.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${STILL_RUNNING} die Deinstallation erneut." /SD IDOK
    Abort
  ${EndIf}
  Delete "$INSTDIR\quonabix-undo.exe"
  Delete "$INSTDIR\Liesmich.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Quonabix.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
