; The Windows installer of KX350T-PC, made by scripts/package-windows.sh:
;   makensis -DSTAGE=FOLDER -DVERSION=1.0 -DOUTFILE=SETUP.exe kx350t-pc.nsi
; STAGE is the program's folder as `cmake --install` makes it; makensis works in this script's
; folder, so the paths are absolute. The installer puts exactly the staged files into Program
; Files, and the uninstaller removes exactly those: anything else in the folder stays. Both run
; silently with /S.
Unicode true
; A 64-bit program, so a 64-bit installer: it sees the 64-bit Program Files and registry.
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef STAGE | VERSION | OUTFILE
  !error "usage: makensis -DSTAGE=FOLDER -DVERSION=X.Y -DOUTFILE=SETUP.exe kx350t-pc.nsi"
!endif

!include MUI2.nsh
!include FileFunc.nsh

!define PRODUCT "KX350T-PC"
!define EXE "kx350t-pc.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program writes config.ini and its register journal into the folder it is started in,
; and Program Files is not writable for the operator: the shortcuts start it here.
!define WORKDIR "$APPDATA\${PRODUCT}"
!define MENUDIR "$SMPROGRAMS\${PRODUCT}"
!define DESCRIPTION "Konfiguracja i monitorowanie miernika KX350T"

; The file lists, from the staged folder.
!tempfile INSTALL_LIST
!tempfile UNINSTALL_LIST
!system '"./stage-files.sh" install "${STAGE}" > "${INSTALL_LIST}"' = 0
!system '"./stage-files.sh" uninstall "${STAGE}" > "${UNINSTALL_LIST}"' = 0

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin

; Windows wants four numbers in a file's version.
!searchparse /noerrors "${VERSION}.0.0.0" "" V1 "." V2 "." V3 "." V4 "."
VIProductVersion "${V1}.${V2}.${V3}.${V4}"
VIFileVersion "${V1}.${V2}.${V3}.${V4}"

!define MUI_ICON "kx350t-pc.ico"
!define MUI_UNICON "kx350t-pc.ico"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

VIAddVersionKey /LANG=${LANG_POLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_POLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_POLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_POLISH} "FileDescription" "Instalator ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_POLISH} "FileVersion" "${VERSION}"

; Everything for the user who installs: the working folder must be writable by the operator,
; so it lies in their own AppData; the shortcuts start the program in that folder, so they are
; theirs too (an all-users shortcut would send every user into this user's folder); and the
; uninstaller, run by the same user, finds the same shortcuts. Only the program's files, in
; Program Files, and its uninstall entry are the machine's.
Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "${PRODUCT}"
  !include /CHARSET=UTF8 "${INSTALL_LIST}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; A shortcut's "Start in" is the output folder when it is made.
  SetOutPath "${WORKDIR}"
  CreateDirectory "${MENUDIR}"
  CreateShortCut "${MENUDIR}\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"
  CreateShortCut "${MENUDIR}\Odinstaluj ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}" "" \
    "$INSTDIR\${UNINSTALLER}" 0
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  !include /CHARSET=UTF8 "${UNINSTALL_LIST}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; A folder cannot be removed while it is the current one.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"

  Delete "${MENUDIR}\${PRODUCT}.lnk"
  Delete "${MENUDIR}\Odinstaluj ${PRODUCT}.lnk"
  RMDir "${MENUDIR}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The working folder stays: it holds the operator's config.ini and saved files.
SectionEnd

!delfile "${INSTALL_LIST}"
!delfile "${UNINSTALL_LIST}"
