; The CourseSmith installer for Windows (64-bit), built by makensis from
; cmake/windows-package.cmake, which passes the version and the files to install:
;   makensis -DVERSION=0.4.0 -DEDITOR=coursesmith.exe -DCLI=coursesmith-cli.exe
;            -DREADME=README.txt -DLICENSE=LICENSE.txt -DNOTICES=THIRD-PARTY-NOTICES.txt
;            -DICON=coursesmith.ico
;            -DOUTFILE=setup.exe installer.nsi
;
; It installs for the current user alone, without administrator rights, into
; %LOCALAPPDATA%\Programs\CourseSmith, adds a Start menu entry, opens .trk files in the editor
; with the track icon (resource 2 of coursesmith.exe) and registers an uninstaller. Every
; registry key it writes is under HKEY_CURRENT_USER. `setup.exe /S` installs and
; `uninstall.exe /S` removes it without a question; `/D=FOLDER` (last on the line) installs
; elsewhere.

!macro require NAME
  !ifndef ${NAME}
    !error "installer.nsi: ${NAME} is not defined"
  !endif
!macroend
!insertmacro require VERSION
!insertmacro require EDITOR
!insertmacro require CLI
!insertmacro require README
!insertmacro require LICENSE
!insertmacro require NOTICES
!insertmacro require ICON
!insertmacro require OUTFILE

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!define PRODUCT "CourseSmith"
!define PROGID "CourseSmith.Track"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CourseSmith"
; Tells Explorer that file associations changed, so that .trk files show the new icon at once.
!define SHCNE_ASSOCCHANGED 0x08000000

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; A later version installs over an earlier one in the folder that one chose.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey LegalCopyright "MIT License"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\coursesmith.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A program of the folder that is running keeps its file open, and Windows neither replaces
; nor deletes it: stop before anything changes, so that an install never leaves the old
; editor beside a new tool, nor an uninstall a program without its entry. Exit code 2.
!macro stop_if_running FILE
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${FILE}" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\${FILE} is running. Close it, then try again." \
          /SD IDOK
      Abort
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

Section "Install"
  SetShellVarContext current
  !insertmacro stop_if_running coursesmith.exe
  !insertmacro stop_if_running coursesmith-cli.exe
  SetOutPath "$INSTDIR"
  File "/oname=coursesmith.exe" "${EDITOR}"
  File "/oname=coursesmith-cli.exe" "${CLI}"
  File "/oname=README.txt" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  File "/oname=THIRD-PARTY-NOTICES.txt" "${NOTICES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\coursesmith.exe" "" \
      "$INSTDIR\coursesmith.exe" 0 SW_SHOWNORMAL "" "Tyrestorm track editor"

  ; .trk files: the ProgID names the track, its icon and the editor that opens it.
  WriteRegStr HKCU "Software\Classes\.trk" "" "${PROGID}"
  WriteRegStr HKCU "Software\Classes\.trk\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Tyrestorm track"
  WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\coursesmith.exe",-2'
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" \
      '"$INSTDIR\coursesmith.exe" "%1"'

  ; The entry of Settings > Apps (and "Add or remove programs").
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\coursesmith.exe",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro stop_if_running coursesmith.exe
  !insertmacro stop_if_running coursesmith-cli.exe
  ; Only the files the installer put there: the folder may hold the user's own files (it may
  ; even be one the user chose with /D), and those stay, with the folder itself.
  Delete "$INSTDIR\coursesmith.exe"
  Delete "$INSTDIR\coursesmith-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; .trk is left to another program that took it over since; its other entries stay.
  ReadRegStr $0 HKCU "Software\Classes\.trk" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKCU "Software\Classes\.trk" ""
  ${EndIf}
  DeleteRegValue HKCU "Software\Classes\.trk\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "Software\Classes\.trk\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "Software\Classes\.trk"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
