; Setup for Quillcrest: a per-user installation under the user's local application data (README.md, section
; "Installing", gives the reasons). The Windows build runs makensis with these defines:
;   VERSION  program version, three numbers (1.0.0)
;   EXE      the built Quillcrest.exe
;   README   the read-me installed beside it
;   ICON     the program's icon, also used for Setup and the uninstaller
;   OUTFILE  where Setup is written
; Command line besides the usual /S and /D=FOLDER: /StartWithWindows selects the "Start with Windows"
; component, so that a silent installation can choose it too.

Unicode true
; The default 32-bit stub cannot run where only 64-bit Windows programs can, and the program is 64-bit anyway.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef EXE
  !error "EXE is not defined"
!endif
!ifndef README
  !error "README is not defined"
!endif
!ifndef ICON
  !error "ICON is not defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE is not defined"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Quillcrest"
!define PUBLISHER "Brenholt"
!define PROGRAM_EXE "Quillcrest.exe"
!define UNINSTALLER_EXE "Uninstall.exe"
!define ALLOWED_LIST "AllowedDNS.txt"
; The program replaces the allowed list through a temporary file of this name beside it.
!define ALLOWED_LIST_TEMP "AllowedDNS.txt.new"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program's own start-with-Windows value: machine-wide, because that is where the program reads and writes it.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "VORLANKE"
!define RECORDS_KEY "SOFTWARE\Brenholt\Quillcrest"
!define INTERFACES_KEY "SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces"
!define ORIGINAL_DNS_VALUE "OrigDNS"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Writable by this user (and administrators) only: the program can save its allowed list beside itself without
; elevation, and no other account can put a DLL next to the executable.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
; Administrators are asked to elevate (as themselves, so $LOCALAPPDATA stays theirs), which the machine-wide
; Run value needs; other users install without it.
RequestExecutionLevel highest
BrandingText "${PRODUCT} ${VERSION}"
; Set here so the windows and message boxes of Setup and the uninstaller carry the same plain titles.
Caption "${PRODUCT} Setup"
UninstallCaption "${PRODUCT} Uninstall"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM_EXE}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

LangString NoStartWithWindows ${LANG_ENGLISH} "${PRODUCT} could not be set to start with Windows: that needs administrator rights.$\r$\n$\r$\nRun ${PRODUCT} as administrator and tick $\"Monitor My DNS Settings for Unauthorized Changes$\" instead."
LangString KeepRecordsQuestion ${LANG_ENGLISH} "Keep the recorded DNS settings and the list of allowed DNS servers?$\r$\n$\r$\nAnswer Yes if you may install ${PRODUCT} again: it then still knows the DNS servers this computer had before."
LangString NotRemoved ${LANG_ENGLISH} "$INSTDIR\${PROGRAM_EXE} could not be removed; it may still be running. Exit ${PRODUCT} and delete the folder by hand."

; The value the program itself writes for an executable path: the path, in double quotes when it holds a
; blank, so that Windows cannot take the part before the blank for the program to start.
; In: $R0 the path. Out: $R0 the value.
!macro RunEntryFor un
Function ${un}RunEntryFor
  Push $R1
  Push $R2
  StrCpy $R2 0
  ${Do}
    StrCpy $R1 $R0 1 $R2
    ${If} $R1 == ""
      ${Break}
    ${ElseIf} $R1 == " "
      StrCpy $R0 '"$R0"'
      ${Break}
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
  Pop $R2
  Pop $R1
FunctionEnd
!macroend
!insertmacro RunEntryFor ""

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=${PROGRAM_EXE}" "${EXE}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER_EXE}"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM_EXE}" "" "$INSTDIR\${PROGRAM_EXE}" 0 \
      SW_SHOWNORMAL "" "Guards this computer's DNS server settings"

  ; "Programs and Features", for this user.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${PROGRAM_EXE}",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER_EXE}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER_EXE}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Start with Windows" SecStartWithWindows
  StrCpy $R0 "$INSTDIR\${PROGRAM_EXE}"
  Call RunEntryFor
  ClearErrors
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" "$R0"
  ${If} ${Errors}
    DetailPrint "Could not write the start-with-Windows value (administrator rights are needed)."
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NoStartWithWindows)" /SD IDOK
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, a read-me, a Start-menu shortcut, the uninstaller."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartWithWindows} \
      "Start at logon and monitor the DNS settings. Needs administrator rights."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext current
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/StartWithWindows" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartWithWindows}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  ; The Run value goes only when it names this installation, compared as the program compares it: letter case
  ; aside, once one pair of surrounding double quotes is removed. Another copy's value stays.
  ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  StrLen $1 $0
  ${If} $1 >= 2
    StrCpy $2 $0 1
    StrCpy $3 $0 1 -1
    ${If} $2 == '"'
    ${AndIf} $3 == '"'
      StrCpy $0 $0 -1 1
    ${EndIf}
  ${EndIf}
  ${If} $0 != ""
  ${AndIf} $0 == "$INSTDIR\${PROGRAM_EXE}"
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}

  Delete "$INSTDIR\${PROGRAM_EXE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\${ALLOWED_LIST_TEMP}"
  Delete "$INSTDIR\${UNINSTALLER_EXE}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The records hold the DNS servers each adapter had before the program changed anything: worth keeping for a
  ; later installation, so a silent uninstallation keeps them.
  MessageBox MB_YESNO|MB_ICONQUESTION "$(KeepRecordsQuestion)" /SD IDYES IDYES keep_records
    DeleteRegKey HKCU "${RECORDS_KEY}"
    DeleteRegKey /ifempty HKCU "SOFTWARE\Brenholt"
    StrCpy $4 0
    ${Do}
      EnumRegKey $5 HKLM "${INTERFACES_KEY}" $4
      ${If} $5 == ""
        ${Break}
      ${EndIf}
      DeleteRegValue HKLM "${INTERFACES_KEY}\$5" "${ORIGINAL_DNS_VALUE}"
      IntOp $4 $4 + 1
    ${Loop}
    Delete "$INSTDIR\${ALLOWED_LIST}"
  keep_records:

  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\${PROGRAM_EXE}"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NotRemoved)" /SD IDOK
  ${EndIf}
SectionEnd
