; The Windows installer of Marvento (NSIS 3, Unicode). scripts/windows-package.sh defines
;   VERSIONE    the version, e.g. 0.1.0
;   CARTELLA    the program's folder (windeployqt's layout) with LICENSE.txt in it
;   ELENCO      an include file that defines the macros FileInstallati and FileRimossi
;   ICONA       the program's icon (.ico)
;   USCITA      the setup file to write
; Per-user by default: no administrator rights, %LOCALAPPDATA%\Programs\Marvento, the Start menu,
; "open with" and Programs and Features all under HKEY_CURRENT_USER.
; A 64-bit installer for a 64-bit program: it also runs where only 64-bit wine is installed.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${ELENCO}"

!define CHIAVE_DISINSTALLA "Software\Microsoft\Windows\CurrentVersion\Uninstall\Marvento"
!define CLASSI "Software\Classes"

Name "Marvento ${VERSIONE}"
OutFile "${USCITA}"
InstallDir "$LOCALAPPDATA\Programs\Marvento"
InstallDirRegKey HKCU "${CHIAVE_DISINSTALLA}" "InstallLocation"
BrandingText "Marvento ${VERSIONE}"

VIProductVersion "${VERSIONE}.0"
VIAddVersionKey /LANG=0 "ProductName" "Marvento"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSIONE}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSIONE}"
VIAddVersionKey /LANG=0 "FileDescription" "Installazione di Marvento ${VERSIONE}"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICONA}"
!define MUI_UNICON "${ICONA}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Marvento.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${CARTELLA}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

; One file type: its ProgID with icon and open command, listed under the extension's "open with".
; The extension's default is set only when no other program holds it.
!macro Associa EST DESCRIZIONE
  WriteRegStr HKCU "${CLASSI}\Marvento${EST}" "" "${DESCRIZIONE}"
  WriteRegStr HKCU "${CLASSI}\Marvento${EST}\DefaultIcon" "" "$INSTDIR\Marvento.exe,0"
  WriteRegStr HKCU "${CLASSI}\Marvento${EST}\shell\open\command" "" '"$INSTDIR\Marvento.exe" "%1"'
  WriteRegStr HKCU "${CLASSI}\${EST}\OpenWithProgids" "Marvento${EST}" ""
  WriteRegStr HKCU "${CLASSI}\Applications\Marvento.exe\SupportedTypes" "${EST}" ""
  ReadRegStr $0 HKCU "${CLASSI}\${EST}" ""
  StrCmp $0 "" 0 +2
    WriteRegStr HKCU "${CLASSI}\${EST}" "" "Marvento${EST}"
!macroend

; Takes back only what Associa wrote: the extension's default only while it is still ours, and
; the extension's key only when nothing else is left in it.
!macro Dissocia EST
  DeleteRegKey HKCU "${CLASSI}\Marvento${EST}"
  DeleteRegValue HKCU "${CLASSI}\${EST}\OpenWithProgids" "Marvento${EST}"
  DeleteRegKey /ifempty HKCU "${CLASSI}\${EST}\OpenWithProgids"
  ReadRegStr $0 HKCU "${CLASSI}\${EST}" ""
  StrCmp $0 "Marvento${EST}" 0 +2
    DeleteRegValue HKCU "${CLASSI}\${EST}" ""
  DeleteRegKey /ifempty HKCU "${CLASSI}\${EST}"
!macroend

Section "Marvento" SezionePrincipale
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !insertmacro FileInstallati
  WriteUninstaller "$INSTDIR\Disinstalla.exe"

  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Marvento.lnk" "$INSTDIR\Marvento.exe" "" "$INSTDIR\Marvento.exe" 0

  WriteRegStr HKCU "${CLASSI}\Applications\Marvento.exe" "FriendlyAppName" "Marvento"
  WriteRegStr HKCU "${CLASSI}\Applications\Marvento.exe\DefaultIcon" "" "$INSTDIR\Marvento.exe,0"
  WriteRegStr HKCU "${CLASSI}\Applications\Marvento.exe\shell\open\command" "" '"$INSTDIR\Marvento.exe" "%1"'
  !insertmacro Associa ".mes" "Velocita' sezioni (Marvento)"
  !insertmacro Associa ".rsz" "Tempi archi (Marvento)"
  !insertmacro Associa ".att" "Risultati (Marvento)"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKCU "${CHIAVE_DISINSTALLA}" "DisplayName" "Marvento"
  WriteRegStr HKCU "${CHIAVE_DISINSTALLA}" "DisplayVersion" "${VERSIONE}"
  WriteRegStr HKCU "${CHIAVE_DISINSTALLA}" "DisplayIcon" "$INSTDIR\Marvento.exe,0"
  WriteRegStr HKCU "${CHIAVE_DISINSTALLA}" "Publisher" "Marvento"
  WriteRegStr HKCU "${CHIAVE_DISINSTALLA}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${CHIAVE_DISINSTALLA}" "UninstallString" '"$INSTDIR\Disinstalla.exe"'
  WriteRegStr HKCU "${CHIAVE_DISINSTALLA}" "QuietUninstallString" '"$INSTDIR\Disinstalla.exe" /S'
  WriteRegDWORD HKCU "${CHIAVE_DISINSTALLA}" "NoModify" 1
  WriteRegDWORD HKCU "${CHIAVE_DISINSTALLA}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${CHIAVE_DISINSTALLA}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The files this version installed, one by one: a folder chosen by the user may hold others.
  !insertmacro FileRimossi
  Delete "$INSTDIR\Disinstalla.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Marvento.lnk"

  !insertmacro Dissocia ".mes"
  !insertmacro Dissocia ".rsz"
  !insertmacro Dissocia ".att"
  DeleteRegKey HKCU "${CLASSI}\Applications\Marvento.exe"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKCU "${CHIAVE_DISINSTALLA}"
SectionEnd
