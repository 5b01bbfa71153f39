; Setup for Quillcrest: an installation for all users in the 64-bit Program Files folder (README.md, section
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
!define README_TXT "README.txt"
!define SHORTCUT "${PRODUCT}.lnk"
!define ALLOWED_LIST "AllowedDNS.txt"
; The program replaces the allowed list through a temporary file of this name beside it.
!define ALLOWED_LIST_TEMP "AllowedDNS.txt.new"
; The settings the program's wider check compares with, beside the allowed list.
!define DNS_BASELINE "DNSBaseline.txt"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program's own start-with-Windows value: machine-wide, because that is where the program reads and writes it.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "VORLANKE"
!define RECORDS_KEY "SOFTWARE\Brenholt\Quillcrest"
!define INTERFACES_KEY "SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces"
!define ORIGINAL_DNS_VALUE "OrigDNS"
; Where Setup installed for one user only, under that user's local application data, before it installed for all.
!define PER_USER_FOLDER "Programs\${PRODUCT}"
; Setup writes this file into its folder to learn whether another path names the same folder.
!define SAME_FOLDER_PROBE "${PRODUCT}-Setup.probe"
; FileRead gives at most NSIS_MAX_STRLEN - 1 characters, and a CR LF pair at that limit can come apart: longer
; entries of an allowed list cannot be compared.
!define /math LONGEST_COMPARABLE_ENTRY ${NSIS_MAX_STRLEN} - 3
; What Windows answers for a program that needs elevation and did not get it.
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Program Files lets only administrators change what it holds, and the folder inherits that: no program running
; without elevation can replace Quillcrest.exe or put a DLL beside it, so the executable that the program starts
; when it asks for elevation is the one Setup installed.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
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
; The installation's details (an earlier installation carried over, anything left in place) stay readable until
; "Next".
!define MUI_FINISHPAGE_NOAUTOCLOSE
; Setup runs elevated, and whatever it starts itself inherits that. The finish page hands the program and the
; read-me to the shell instead (see StartAsTheUser).
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgramAsTheUser
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION ShowReadMeAsTheUser
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

LangString SetupNeedsAdministrator ${LANG_ENGLISH} "${PRODUCT} Setup needs administrator rights: it installs ${PRODUCT} for all users of this computer.$\r$\n$\r$\nStart it again as an administrator."
LangString UninstallNeedsAdministrator ${LANG_ENGLISH} "Removing ${PRODUCT} needs administrator rights: it is installed for all users of this computer.$\r$\n$\r$\nStart the uninstaller again as an administrator."
LangString NoStartWithWindows ${LANG_ENGLISH} "${PRODUCT} could not be set to start with Windows.$\r$\n$\r$\nStart ${PRODUCT} and tick $\"Monitor My DNS Settings for Unauthorized Changes$\" instead."
LangString KeepRecordsQuestion ${LANG_ENGLISH} "Keep the recorded DNS settings and the list of allowed DNS servers?$\r$\n$\r$\nAnswer Yes if you may install ${PRODUCT} again: it then still knows the DNS servers this computer had before."
LangString NotRemoved ${LANG_ENGLISH} "$INSTDIR\${PROGRAM_EXE} could not be removed; it may still be running. Exit ${PRODUCT} and delete the folder by hand."
LangString EarlierNotRemoved ${LANG_ENGLISH} "The earlier installation in $PerUserFolder could not be removed completely; ${PRODUCT} may still be running from there. Exit it and delete the folder by hand."
LangString EarlierLeftInPlace ${LANG_ENGLISH} "An earlier installation of ${PRODUCT} for your account in $PerUserFolder was left in place: Setup removes earlier installations only from a folder named ${PRODUCT}.$\r$\n$\r$\nRemove it through $\"Programs and Features$\" when you no longer need it."
LangString ListNotCarried ${LANG_ENGLISH} "The list of allowed DNS servers in $PerUserFolder holds a line too long for Setup to compare, so it was not joined to the list in $INSTDIR and stays where it is. Copy the lines you still need by hand."

Var PerUserFolder      ; the folder of an earlier installation for this user, as its registration or the default names it
Var PerUserShortcut    ; that installation's shortcut in this user's own Start menu
Var PerUserRegistered  ; "1" when this user's uninstall registration of it exists
Var ListFile           ; the allowed list being read by ReadAllowedListEntry
Var ListEntry          ; the entry it read, without its line end
Var ListEntryKind      ; "entry", "end" when none was left, "long" when it is too long to compare
Var CarriedEntry       ; the earlier allowed list's entry being looked up

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

; Whether the start-with-Windows value names an executable, compared as the program compares it: letter case
; aside, once one pair of surrounding double quotes is removed.
; In: $R0 the executable's path. Out: $R0 "1" when the value names it, else "".
!macro RunValueNames un
Function ${un}RunValueNames
  Push $R1
  Push $R2
  Push $R3
  ReadRegStr $R1 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  StrLen $R2 $R1
  ${If} $R2 >= 2
    StrCpy $R2 $R1 1
    StrCpy $R3 $R1 1 -1
    ${If} $R2 == '"'
    ${AndIf} $R3 == '"'
      StrCpy $R1 $R1 -1 1
    ${EndIf}
  ${EndIf}
  ${If} $R1 != ""
  ${AndIf} $R1 == $R0
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 ""
  ${EndIf}
  Pop $R3
  Pop $R2
  Pop $R1
FunctionEnd
!macroend
!insertmacro RunValueNames ""
!insertmacro RunValueNames "un."

; The manifest asks Windows for elevation. Where Windows gives none (no User Account Control, or it is switched
; off) and the user is not an administrator, every write to Program Files and HKLM would be refused: stop before
; the first one. UserInfo answers "Admin" only for a token in which the Administrators group counts.
!macro RefuseWithoutAdministratorRights un message
Function ${un}RefuseWithoutAdministratorRights
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "${message}" /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro RefuseWithoutAdministratorRights "" "$(SetupNeedsAdministrator)"
!insertmacro RefuseWithoutAdministratorRights "un." "$(UninstallNeedsAdministrator)"

; A program started by an elevated process gets its elevated token. explorer.exe given a path hands it to the
; running shell of the user's desktop, which opens it as a double-click would: the program runs with the
; user's own token, unelevated, as when it is started from the Start menu.
; In: $R0 the file to open.
Function StartAsTheUser
  Exec '"$WINDIR\explorer.exe" "$R0"'
FunctionEnd

Function StartProgramAsTheUser
  StrCpy $R0 "$INSTDIR\${PROGRAM_EXE}"
  Call StartAsTheUser
FunctionEnd

Function ShowReadMeAsTheUser
  StrCpy $R0 "$INSTDIR\${README_TXT}"
  Call StartAsTheUser
FunctionEnd

; Reads the next entry of an allowed list as the program reads the file: a line ends at CR LF, at a lone CR or at
; a lone LF, a last line without an end is still an entry, and a NUL ends the text.
; In: $ListFile. Out: $ListEntry and $ListEntryKind.
Function ReadAllowedListEntry
  Push $0
  ClearErrors
  FileRead $ListFile $ListEntry
  ${If} ${Errors}
    StrCpy $ListEntryKind end
  ${Else}
    StrCpy $ListEntryKind entry
    StrCpy $0 $ListEntry 1 -1
    ${If} $0 == "$\n"
      StrCpy $ListEntry $ListEntry -1
      StrCpy $0 $ListEntry 1 -1
      ${If} $0 == "$\r"
        StrCpy $ListEntry $ListEntry -1
      ${EndIf}
    ${ElseIf} $0 == "$\r"
      StrCpy $ListEntry $ListEntry -1
    ${Else}
      ; No line end: the last line, a NUL (the program reads nothing after it) or FileRead's length limit.
      FileSeek $ListFile 0 END
    ${EndIf}
    StrLen $0 $ListEntry
    ${If} $0 > ${LONGEST_COMPARABLE_ENTRY}
      StrCpy $ListEntryKind long
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

; Completes a replacement of the allowed list in a folder that was cut short, as the program does at its next
; start: the temporary file stands for the list when the list itself is missing, and is left over otherwise.
; In: $R0 the folder.
Function CompleteAllowedListReplacement
  ${If} ${FileExists} "$R0\${ALLOWED_LIST_TEMP}"
    ${If} ${FileExists} "$R0\${ALLOWED_LIST}"
      Delete "$R0\${ALLOWED_LIST_TEMP}"
    ${Else}
      Rename "$R0\${ALLOWED_LIST_TEMP}" "$R0\${ALLOWED_LIST}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Joins the earlier installation's allowed list to this installation's: this list's entries stay first, as they
; are, and each entry of the earlier list that is not in it yet follows, in its order. Both hold DNS server
; lists the user accepted, so dropping either would raise alerts again for lists already allowed. Entries are
; compared as the program compares them (letter case aside, blanks counting) and written as it writes the list,
; through its temporary file.
; Out: $R0 "carried" (also when there was nothing to carry), or "kept" when an entry was too long to compare or
; the joined list could not be put in place; this installation's list is then unchanged.
Function CarryAllowedListOver
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $R0 "$INSTDIR"
  Call CompleteAllowedListReplacement
  ; The earlier folder is only read: a cut-short replacement there is taken as the program would take it.
  StrCpy $0 "$PerUserFolder\${ALLOWED_LIST}"
  ${IfNot} ${FileExists} $0
    StrCpy $0 "$PerUserFolder\${ALLOWED_LIST_TEMP}"
  ${EndIf}
  StrCpy $R0 carried
  ${If} ${FileExists} $0
    ; Opened for reading too: each earlier entry is looked up in what has been written so far.
    Delete "$INSTDIR\${ALLOWED_LIST_TEMP}"
    FileOpen $1 "$INSTDIR\${ALLOWED_LIST_TEMP}" a
    StrCpy $3 0
    StrCpy $ListEntryKind end
    ${If} ${FileExists} "$INSTDIR\${ALLOWED_LIST}"
      FileOpen $ListFile "$INSTDIR\${ALLOWED_LIST}" r
      ${Do}
        Call ReadAllowedListEntry
        ${If} $ListEntryKind != entry
          ${Break}
        ${EndIf}
        FileWrite $1 "$ListEntry$\r$\n"
      ${Loop}
      FileClose $ListFile
    ${EndIf}
    ${If} $ListEntryKind != long
      FileOpen $2 $0 r
      ${Do}
        StrCpy $ListFile $2
        Call ReadAllowedListEntry
        ${If} $ListEntryKind != entry
          ${Break}
        ${EndIf}
        StrCpy $CarriedEntry $ListEntry
        FileSeek $1 0 SET
        StrCpy $ListFile $1
        ${Do}
          Call ReadAllowedListEntry
          ${If} $ListEntryKind != entry
          ${OrIf} $ListEntry == $CarriedEntry
            ${Break}
          ${EndIf}
        ${Loop}
        ${If} $ListEntryKind == end
          FileSeek $1 0 END
          FileWrite $1 "$CarriedEntry$\r$\n"
          IntOp $3 $3 + 1
        ${EndIf}
      ${Loop}
      FileClose $2
    ${EndIf}
    FileClose $1
    ${If} $ListEntryKind == long
      StrCpy $R0 kept
    ${ElseIf} $3 > 0
      ; Not in one step, but a list missing beside a whole temporary file is what the program completes itself.
      ClearErrors
      Delete "$INSTDIR\${ALLOWED_LIST}"
      Rename "$INSTDIR\${ALLOWED_LIST_TEMP}" "$INSTDIR\${ALLOWED_LIST}"
      ${If} ${Errors}
        StrCpy $R0 kept
      ${EndIf}
    ${EndIf}
    Delete "$INSTDIR\${ALLOWED_LIST_TEMP}"
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Whether a folder is this installation's own, however its path is spelt (letter case, a short name, a junction).
; In: $R0 the folder. Out: $R0 "1" when it is, else "".
Function IsInstallFolder
  Push $R1
  FileOpen $R1 "$INSTDIR\${SAME_FOLDER_PROBE}" w
  FileClose $R1
  StrCpy $R1 ""
  ${If} ${FileExists} "$R0\${SAME_FOLDER_PROBE}"
    StrCpy $R1 1
  ${EndIf}
  Delete "$INSTDIR\${SAME_FOLDER_PROBE}"
  StrCpy $R0 $R1
  Pop $R1
FunctionEnd

; An earlier installation for this user alone (Setup's layout before it installed for all users): its allowed
; list joins this installation's, and its files, its shortcut, its registration and a start-with-Windows value
; naming it go; that value then names this installation. The user's DNS records stay as they are.
; That installation lives in folders the user can change, and Setup runs elevated: nothing there is run or
; loaded, only the earlier Setup's own files are deleted, by name, and only in a folder named after the product,
; so that neither a registration nor a junction pointing elsewhere can make Setup delete anything else.
Function CarryOverPerUserInstallation
  ${GetFileName} $PerUserFolder $0
  ${If} $0 != "${PRODUCT}"
    ${If} $PerUserRegistered == 1
      DetailPrint "Earlier installation for this user left in place: $PerUserFolder"
      MessageBox MB_OK|MB_ICONINFORMATION "$(EarlierLeftInPlace)" /SD IDOK
    ${EndIf}
    Return
  ${EndIf}
  ${If} $PerUserRegistered != 1
  ${AndIfNot} ${FileExists} "$PerUserFolder\${PROGRAM_EXE}"
  ${AndIfNot} ${FileExists} "$PerUserFolder\${UNINSTALLER_EXE}"
  ${AndIfNot} ${FileExists} "$PerUserFolder\${ALLOWED_LIST}"
  ${AndIfNot} ${FileExists} "$PerUserFolder\${ALLOWED_LIST_TEMP}"
    Return
  ${EndIf}
  DetailPrint "Moving the earlier installation for this user over: $PerUserFolder"

  StrCpy $R0 $PerUserFolder
  Call IsInstallFolder
  ; Installed for one user into this very folder: its files are this installation's now.
  ${If} $R0 != 1
    Call CarryAllowedListOver
    Delete "$PerUserFolder\${PROGRAM_EXE}"
    Delete "$PerUserFolder\${README_TXT}"
    Delete "$PerUserFolder\${UNINSTALLER_EXE}"
    ${If} $R0 == carried
      Delete "$PerUserFolder\${ALLOWED_LIST}"
      Delete "$PerUserFolder\${ALLOWED_LIST_TEMP}"
    ${Else}
      DetailPrint "Allowed list not carried over: $PerUserFolder\${ALLOWED_LIST}"
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(ListNotCarried)" /SD IDOK
    ${EndIf}
    RMDir "$PerUserFolder"
    ${If} ${FileExists} "$PerUserFolder\${PROGRAM_EXE}"
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(EarlierNotRemoved)" /SD IDOK
    ${EndIf}
  ${EndIf}

  StrCpy $R0 "$PerUserFolder\${PROGRAM_EXE}"
  Call RunValueNames
  ${If} $R0 == 1
    StrCpy $R0 "$INSTDIR\${PROGRAM_EXE}"
    Call RunEntryFor
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" "$R0"
  ${EndIf}
  Delete "$PerUserShortcut"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=${PROGRAM_EXE}" "${EXE}"
  File "/oname=${README_TXT}" "${README}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER_EXE}"

  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${PROGRAM_EXE}" "" "$INSTDIR\${PROGRAM_EXE}" 0 \
      SW_SHOWNORMAL "" "Guards this computer's DNS server settings"

  ; "Programs and Features", for all users.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${PROGRAM_EXE}",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER_EXE}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER_EXE}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; Only once this installation is complete: a failed one leaves the earlier one as it was.
  Call CarryOverPerUserInstallation

  ; The DNS settings as they are now become the wider check's baseline, taken by the program's own elevated run,
  ; which reads them itself: the program started without administrator rights cannot write in this folder. A
  ; baseline of an earlier installation stays as it is.
  ${IfNot} ${FileExists} "$INSTDIR\${DNS_BASELINE}"
    ExecWait '"$INSTDIR\${PROGRAM_EXE}" /keep-dns-baseline' $0
    ${If} $0 != 0
      DetailPrint "DNS baseline not taken (exit code $0)."
    ${EndIf}
  ${EndIf}
SectionEnd

Section /o "Start with Windows" SecStartWithWindows
  StrCpy $R0 "$INSTDIR\${PROGRAM_EXE}"
  Call RunEntryFor
  ClearErrors
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" "$R0"
  ${If} ${Errors}
    DetailPrint "Could not write the start-with-Windows value."
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NoStartWithWindows)" /SD IDOK
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} \
      "The program for all users, a read-me, a Start-menu shortcut, the uninstaller."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartWithWindows} "Start at logon and monitor the DNS settings."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetRegView 64
  Call RefuseWithoutAdministratorRights
  ; An earlier installation for this user alone lives in the user's own places: name them before the shell
  ; folders become all users' ones.
  SetShellVarContext current
  StrCpy $PerUserRegistered ""
  ClearErrors
  EnumRegValue $0 HKCU "${UNINSTALL_KEY}" 0
  ${IfNot} ${Errors}
    StrCpy $PerUserRegistered 1
  ${EndIf}
  ReadRegStr $PerUserFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $PerUserFolder == ""
    StrCpy $PerUserFolder "$LOCALAPPDATA\${PER_USER_FOLDER}"
  ${EndIf}
  StrCpy $0 $PerUserFolder 1 -1
  ${If} $0 == "\"
    StrCpy $PerUserFolder $PerUserFolder -1
  ${EndIf}
  StrCpy $PerUserShortcut "$SMPROGRAMS\${SHORTCUT}"
  SetShellVarContext all

  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/StartWithWindows" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartWithWindows}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  Call un.RefuseWithoutAdministratorRights
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  ; The Run value goes only when it names this installation; another copy's value stays.
  StrCpy $R0 "$INSTDIR\${PROGRAM_EXE}"
  Call un.RunValueNames
  ${If} $R0 == 1
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}

  Delete "$INSTDIR\${PROGRAM_EXE}"
  Delete "$INSTDIR\${README_TXT}"
  Delete "$INSTDIR\${ALLOWED_LIST_TEMP}"
  Delete "$INSTDIR\${DNS_BASELINE}.new"
  Delete "$INSTDIR\${UNINSTALLER_EXE}"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The records hold the DNS servers each adapter had before the program changed anything: worth keeping for a
  ; later installation, so a silent uninstallation keeps them. They are the records of the user who uninstalls.
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
    Delete "$INSTDIR\${DNS_BASELINE}"
    Delete "$INSTDIR\${DNS_BASELINE}.damaged"
  keep_records:

  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\${PROGRAM_EXE}"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NotRemoved)" /SD IDOK
  ${EndIf}
SectionEnd
