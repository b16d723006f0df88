; The Windows setup program of the Orix developer tools (scripts/package --windows makes it):
; installs the programs for the current user, without administrator rights, adds keywright to
; the Start menu, the folder to the user's PATH, and an entry to "Apps & features"; its
; uninstaller takes away exactly that and never anything the user put in the folder.
;   makensis -DVERSION=0.1.0 -DSTAGE=FOLDER -DICON=FILE.ico -DOUTFILE=SETUP.exe orix-devtools.nsi
; STAGE holds what is installed: the programs, LICENSE.txt, README.txt and the folder wheels;
; WHEELS_UNINSTALL names a file of the uninstaller's Delete lines for the wheel files.
Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined (-DNAME=VALUE)"
!endif

!define PRODUCT "Orix developer tools"
!define PUBLISHER "The Orix developer tools authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\orix-devtools"
!define SHORTCUT "$SMPROGRAMS\keywright.lnk"
; NSIS strings hold 1023 characters, and the PATH is searched with a ";" on either side: a
; longer PATH could not be read or written whole, so it is left alone.
!define MAX_PATH_TEXT 1020

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; %LOCALAPPDATA%\Programs is where Windows puts programs of one user: writable by that user, so
; registries kept beside keywright (its data root) can be written there.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
!ifdef COPYRIGHT
  VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "The setup installs ${PRODUCT} ${VERSION} (trigwave, trigwave-scan, trigwave-play, keywright and keywright-make-registries) for you alone, without administrator rights. keywright's data root is this folder: keep it one you can write in."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var pathText     ; the user's PATH as read
Var pathType     ; its registry type: 1 REG_SZ, 2 REG_EXPAND_SZ, 0 none
Var pathEntry    ; what the setup appended to it

; --- helpers, for the setup and the uninstaller alike ------------------------------------

; Sets $2 to the program's name when it runs from the folder (and $2 is still empty).
!macro IF_RUNNING name
  ${If} $2 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${name}"
    ClearErrors
    FileOpen $1 "$INSTDIR\${name}" a
    ${If} ${Errors}
      StrCpy $2 "${name}"
    ${Else}
      FileClose $1
    ${EndIf}
  ${EndIf}
!macroend

!macro DEFINE_HELPERS un
; Case-insensitive index of $1 in $0 into $2, -1 when absent (Windows compares paths so).
Function ${un}IndexOf
  Push $3
  Push $4
  Push $5
  StrLen $3 $1
  StrLen $4 $0
  IntOp $4 $4 - $3
  StrCpy $2 0
  ${Do}
    ${If} $2 > $4
      StrCpy $2 -1
      ${Break}
    ${EndIf}
    StrCpy $5 $0 $3 $2
    ${If} $5 == $1
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Pop $5
  Pop $4
  Pop $3
FunctionEnd

; Reads the user's PATH into $pathText and $pathType. Sets $0 to "" when it can be edited
; safely, else to the reason it cannot.
Function ${un}ReadUserPath
  StrCpy $pathText ""
  StrCpy $pathType 0
  StrCpy $0 ""
  ; The size and type first (RRF_RT_ANY | RRF_NOEXPAND), so nothing is cut by reading.
  System::Call 'advapi32::RegGetValueW(p 0x80000001, w "Environment", w "Path", i 0x1000FFFF, *i 0 r1, p 0, *i 0 r2) i .r3'
  ${If} $3 = 2  ; ERROR_FILE_NOT_FOUND: no PATH of the user's yet
    Return
  ${ElseIf} $3 <> 0
    StrCpy $0 "the setup could not read it (error $3)"
    Return
  ${EndIf}
  ${If} $1 <> 1
  ${AndIf} $1 <> 2
    StrCpy $0 "it is not text (registry type $1)"
    Return
  ${EndIf}
  ; $2 is in bytes, two a character, with the final NUL.
  IntOp $2 $2 / 2
  ${If} $2 > ${MAX_PATH_TEXT}
    StrCpy $0 "it is $2 characters long, more than the setup can change without cutting it"
    Return
  ${EndIf}
  ReadRegStr $pathText HKCU "Environment" "Path"
  StrCpy $pathType $1
FunctionEnd

Function ${un}WriteUserPath  ; $0: the new text
  ReadRegDWORD $1 HKCU "${UNINSTALL_KEY}" "PathCreated"
  ${If} $0 == ""
  ${AndIf} $1 = 1
    ; The value the setup made, holding nothing else.
    DeleteRegValue HKCU "Environment" "Path"
  ${ElseIf} $pathType = 1
    WriteRegStr HKCU "Environment" "Path" $0
  ${Else}
    ; A PATH of the user's is REG_EXPAND_SZ unless they made it otherwise.
    WriteRegExpandStr HKCU "Environment" "Path" $0
  ${EndIf}
  ; Programs started from now on (a new command prompt) see the change.
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
FunctionEnd

; Stops while any program of the folder runs: asks to close it, and a silent run (or a
; Cancel) ends with status 2 before anything has been changed. A running program's file
; cannot be opened for writing, which is how it shows.
Function ${un}EnsureClosed
  Push $1
  Push $2
  ${Do}
    StrCpy $2 ""
    !insertmacro IF_RUNNING keywright.exe
    !insertmacro IF_RUNNING trigwave.exe
    !insertmacro IF_RUNNING trigwave-scan.exe
    !insertmacro IF_RUNNING trigwave-play.exe
    !insertmacro IF_RUNNING keywright-make-registries.exe
    ${If} $2 == ""
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$2 is running from $INSTDIR.$\r$\nClose it, then press Retry." /SD IDCANCEL IDRETRY retry
    DetailPrint "$2 is running from $INSTDIR: nothing was changed"
    SetErrorLevel 2
    Quit
    retry:
  ${Loop}
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro DEFINE_HELPERS ""
!insertmacro DEFINE_HELPERS "un."

; --- the setup -----------------------------------------------------------------------------

Section "Install" SecInstall
  Call EnsureClosed
  SetOutPath "$INSTDIR"
  ; Over an earlier install, the programs and texts are replaced in place; everything else
  ; in the folder stays as it is.
  SetOverwrite on
  File "${STAGE}\trigwave.exe"
  File "${STAGE}\trigwave-scan.exe"
  File "${STAGE}\trigwave-play.exe"
  File "${STAGE}\keywright.exe"
  File "${STAGE}\keywright-make-registries.exe"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\README.txt"
  SetOutPath "$INSTDIR\wheels"
  File "${STAGE}\wheels\*.wheel"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The window's own icon (the second icon group; the first is the toolkit's, which
  ; Explorer shows for the file).
  CreateShortcut "${SHORTCUT}" "$INSTDIR\keywright.exe" "" "$INSTDIR\keywright.exe" 1

  Call AddToUserPath

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\keywright.exe,1"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB: what this section installs, counted when the setup was made.
  SectionGetSize ${SecInstall} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Appends the folder to the user's PATH once, keeping every other entry as it was, and
; remembers what it appended so that the uninstaller takes away exactly that.
Function AddToUserPath
  Call ReadUserPath
  ${If} $0 != ""
    DetailPrint "Your PATH is left as it was: $0."
    MessageBox MB_OK|MB_ICONINFORMATION "Your PATH is left as it was: $0.$\r$\nTo start trigwave by name, add this folder to it yourself:$\r$\n$INSTDIR" /SD IDOK
    Return
  ${EndIf}
  ; Already there (an earlier install, or the user): nothing to add.
  StrCpy $0 ";$pathText;"
  StrCpy $1 ";$INSTDIR;"
  Call IndexOf
  ${If} $2 >= 0
    DetailPrint "Your PATH already holds $INSTDIR."
    Return
  ${EndIf}
  ${If} $pathText == ""
    StrCpy $pathEntry "$INSTDIR"
  ${ElseIf} $pathText == ";"
    StrCpy $pathEntry "$INSTDIR"
  ${Else}
    StrCpy $0 $pathText 1 -1
    ${If} $0 == ";"
      StrCpy $pathEntry "$INSTDIR"
    ${Else}
      StrCpy $pathEntry ";$INSTDIR"
    ${EndIf}
  ${EndIf}
  StrLen $0 "$pathText$pathEntry"
  ${If} $0 > ${MAX_PATH_TEXT}
    DetailPrint "Your PATH is left as it was: with this folder it would be longer than the setup can write."
    MessageBox MB_OK|MB_ICONINFORMATION "Your PATH is left as it was: with this folder it would be longer than the setup can write.$\r$\nTo start trigwave by name, add this folder to it yourself:$\r$\n$INSTDIR" /SD IDOK
    Return
  ${EndIf}
  ${If} $pathType = 0
    ; No PATH of the user's before: the uninstaller removes the value it made.
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "PathCreated" 1
  ${Else}
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "PathCreated"
  ${EndIf}
  StrCpy $0 "$pathText$pathEntry"
  Call WriteUserPath
  WriteRegStr HKCU "${UNINSTALL_KEY}" "PathEntry" $pathEntry
  DetailPrint "Added $INSTDIR to your PATH."
FunctionEnd

; --- the uninstaller -----------------------------------------------------------------------

Section "Uninstall"
  Call un.EnsureClosed
  Call un.RemoveFromUserPath
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\trigwave.exe"
  Delete "$INSTDIR\trigwave-scan.exe"
  Delete "$INSTDIR\trigwave-play.exe"
  Delete "$INSTDIR\keywright.exe"
  Delete "$INSTDIR\keywright-make-registries.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  !include "${WHEELS_UNINSTALL}"
  RMDir "$INSTDIR\wheels"
  ; Only when empty: registries and databases kept here stay, and their folder with them.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Takes away what the setup appended to the user's PATH, and nothing else.
Function un.RemoveFromUserPath
  ReadRegStr $pathEntry HKCU "${UNINSTALL_KEY}" "PathEntry"
  ${If} $pathEntry == ""
    Return  ; the setup added nothing
  ${EndIf}
  Call un.ReadUserPath
  ${If} $0 != ""
    DetailPrint "Your PATH is left as it was: $0."
    Return
  ${EndIf}
  ; Where the setup put it, at the end, as it appended it.
  StrLen $1 $pathEntry
  StrLen $2 $pathText
  IntOp $3 $2 - $1
  ${If} $3 >= 0
    StrCpy $4 $pathText "" $3
    ${If} $4 == $pathEntry
      StrCpy $0 $pathText $3
      Goto write
    ${EndIf}
  ${EndIf}
  ; Moved since: the one entry, wherever it is now.
  StrCpy $0 ";$pathText;"
  StrCpy $1 ";$INSTDIR;"
  Call un.IndexOf
  ${If} $2 < 0
    DetailPrint "Your PATH no longer holds $INSTDIR."
    Return
  ${EndIf}
  StrLen $3 $1
  IntOp $3 $2 + $3
  IntOp $3 $3 - 1
  StrCpy $4 $0 $2          ; before the entry, with its leading ";"
  StrCpy $5 $0 "" $3       ; from the ";" after it
  StrCpy $0 "$4$5"
  StrCpy $0 $0 "" 1        ; the ";" put around it above
  StrCpy $0 $0 -1
  write:
  Call un.WriteUserPath
  DetailPrint "Removed $INSTDIR from your PATH."
FunctionEnd
