; The streamer's setup program: puts TavikSongList.dll into the plugins folder of every OBS Classic
; on the PC, where OBS Classic's own setup program installs it, with an uninstaller in "Programs and
; Features". Built by scripts/make-setup.py with Debian's makensis, which writes the defines this
; script needs into an include file (DEFINES, UTF-8):
;     PRODUCT, VERSION    the product's name (dll/Resources.h) and the project's version
;     DLL64               the 64-bit plugin
;     DLL32               the 32-bit plugin; without it, a 32-bit OBS gets nothing, and setup says so
;     README, LICENSE     the install note and the licence, as the zips hold them
;     OUTFILE             the setup program to write
;
; Where OBS Classic is: its setup program puts the 32-bit OBS in "Program Files (x86)\OBS" and
; names that folder in HKLM\Software\Open Broadcaster Software (a 32-bit program's registry view),
; and the 64-bit OBS in "Program Files\OBS". A folder counts when it holds OBS.exe; which plugin
; goes into it is decided by OBS.exe's own header (x86 or x64), never by the folder's name.
;
; The setup program is a 64-bit program (Debian's NSIS builds amd64 setup programs): the plugin
; is for 64-bit Windows, where both OBS programs live, and such a setup sees the 64-bit registry
; and "Program Files" as they are.
;
; Exit codes (setup):  0 installed; 1 cancelled; 2 the setup program is damaged (NSIS's own);
;   3 OBS runs or a plugin file is in use, nothing installed; 4 no OBS Classic found (silent mode
;   cannot ask), nothing installed; 5 the folder given (/D=) holds no OBS.exe or no program of a
;   kind setup knows, nothing installed; 6 OBS Classic found, but none this setup has a plugin
;   for, nothing installed; 7 a file could not be written (what was written is recorded for the
;   uninstaller).
; Exit codes (uninstaller, run as "uninstall.exe /S _?=<its folder>", NSIS's way to wait for it;
;   run without _?= it returns at once and works from a copy in the temporary folder): 0 removed;
;   1 cancelled; 3 OBS runs or a plugin file is in use, nothing removed; 7 a file could not be
;   removed (it stays recorded, so the uninstaller can be run again).

Unicode true
Target amd64-unicode
!include "${DEFINES}"

!define PUBLISHER "Tavik"
!define DISPLAY_NAME "${PRODUCT} (OBS Classic)"  ; in "Programs and Features"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TavikSongList"
; What setup installed, one value per plugin file: its full path, and 32 or 64.
!define FILES_KEY "Software\TavikSongList\InstalledPlugins"
!define OBS_KEY "Software\Open Broadcaster Software"
; OBS Classic holds this mutex from its start to its end (its Main.cpp); its own setup program
; looks for it too.
!define OBS_MUTEX "OBSMutex"
!define PLUGIN_NAME "TavikSongList.dll"
!define OWN_FOLDER "TavikSongList"
!define NOTE_NAME "TavikSongList-README.txt"
!define LICENSE_NAME "TavikSongList-LICENSE.txt"

!define EXIT_RUNNING 3
!define EXIT_NO_OBS 4
!define EXIT_NOT_OBS_FOLDER 5
!define EXIT_NO_PLUGIN_FOR_OBS 6
!define EXIT_WRITE_FAILED 7

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; Installed files take the time they are installed at, so the setup program holds no build time.
SetDateSave off
SetOverwrite try
ManifestDPIAware true
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"
; No InstallDir: $INSTDIR stays empty unless /D= names an OBS folder.

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "nsDialogs.nsh"
!include "WinMessages.nsh"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} ${VERSION} 安装程序 (setup)"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "GPL-2.0-or-later"

Var Obs1Dir      ; the OBS folders setup installs into, and the plugin each gets (32 or 64)
Var Obs1Bits
Var Obs2Dir
Var Obs2Bits
Var Skipped      ; lines about OBS folders found that setup leaves alone, and why
Var NoTarget     ; the exit code when there is nothing to install into
Var AskFolder    ; 1 when the folder page asks for OBS's folder
Var OwnDir       ; the note, the licence and the uninstaller
Var Summary
Var Failed

; ---------------------------------------------------------------- pages

!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
; The GPL asks nothing of whoever only uses the plugin: the page informs, it does not ask.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(LicenceBottom)"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
; Shown only when setup found no OBS it can serve: the streamer chooses OBS's folder.
!define MUI_PAGE_CUSTOMFUNCTION_PRE FolderPagePre
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(FolderTop)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(FolderLabel)"
!insertmacro MUI_PAGE_DIRECTORY
Page custom SummaryPage SummaryLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UnConfirmTop)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for every system language but Chinese.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

!include "${__FILEDIR__}\strings.nsh"

; ---------------------------------------------------------------- shared by setup and uninstaller

; The language after the user's Windows language: Chinese of any region reads the Chinese pages.
!macro PickLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i .R0'
  IntOp $R0 $R0 & 0x3FF
  ${If} $R0 = 0x04  ; LANG_CHINESE
    StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}
!macroend

; $R1 = 1 when an OBS Classic runs (its mutex exists), else 0.
!macro ObsRunningFunction PREFIX
Function ${PREFIX}ObsRunning
  StrCpy $R1 0
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${OBS_MUTEX}") p .R2'
  ${If} $R2 P<> 0
    System::Call 'kernel32::CloseHandle(p R2)'
    StrCpy $R1 1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ObsRunningFunction ""
!insertmacro ObsRunningFunction "un."

; $R1 = 1 when the file $R0 exists and cannot be opened for writing: Windows refuses that while a
; program has the DLL loaded, whoever runs it.
!macro InUseFunction PREFIX
Function ${PREFIX}InUse
  StrCpy $R1 0
  ${If} ${FileExists} "$R0"
  ${AndIfNot} ${FileExists} "$R0\*.*"
    ClearErrors
    FileOpen $R2 "$R0" a
    ${If} ${Errors}
      StrCpy $R1 1
    ${Else}
      FileClose $R2
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro InUseFunction ""
!insertmacro InUseFunction "un."

; ---------------------------------------------------------------- finding OBS Classic

; $R1 = 32 or 64: the machine OBS.exe in folder $R0 is built for; "none" when the folder holds no
; OBS.exe; "other" when OBS.exe is no x86 or x64 Windows program.
Function Examine
  StrCpy $R1 none
  ${IfNot} ${FileExists} "$R0\OBS.exe"
  ${OrIf} ${FileExists} "$R0\OBS.exe\*.*"
    Return
  ${EndIf}
  StrCpy $R1 other
  ClearErrors
  FileOpen $R2 "$R0\OBS.exe" r
  ${If} ${Errors}
    Return
  ${EndIf}
  FileReadByte $R2 $R3
  FileReadByte $R2 $R4
  ${If} $R3 = 77   ; "MZ"
  ${AndIf} $R4 = 90
    ; The DOS header's e_lfanew, at 0x3C, four bytes little-endian, says where "PE\0\0" is; the
    ; machine follows it.
    FileSeek $R2 60 SET
    FileReadByte $R2 $R3
    FileReadByte $R2 $R4
    FileReadByte $R2 $R5
    FileReadByte $R2 $R6
    IntOp $R4 $R4 << 8
    IntOp $R5 $R5 << 16
    IntOp $R6 $R6 << 24
    IntOp $R3 $R3 | $R4
    IntOp $R3 $R3 | $R5
    IntOp $R3 $R3 | $R6
    FileSeek $R2 $R3 SET
    FileReadByte $R2 $R3
    FileReadByte $R2 $R4
    FileReadByte $R2 $R5
    FileReadByte $R2 $R6
    ${If} $R3 = 80   ; "PE\0\0"
    ${AndIf} $R4 = 69
    ${AndIf} $R5 = 0
    ${AndIf} $R6 = 0
      FileReadByte $R2 $R3
      FileReadByte $R2 $R4
      IntOp $R4 $R4 << 8
      IntOp $R3 $R3 | $R4
      ${If} $R3 = 0x14C      ; IMAGE_FILE_MACHINE_I386
        StrCpy $R1 32
      ${ElseIf} $R3 = 0x8664 ; IMAGE_FILE_MACHINE_AMD64
        StrCpy $R1 64
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} ${Errors}
    StrCpy $R1 other
  ${EndIf}
  FileClose $R2
FunctionEnd

; Folder $R0 without the backslashes at its end.
Function TrimFolder
  ${DoWhile} $R0 != ""
    StrCpy $R3 $R0 1 -1
    ${If} $R3 != "\"
    ${AndIf} $R3 != "/"
      ${Break}
    ${EndIf}
    StrCpy $R0 $R0 -1
  ${Loop}
FunctionEnd

; Takes folder $R0, whose OBS.exe is $R1 (32, 64 or other), as a target when this setup holds its
; plugin, or notes why not. $R1 becomes "taken", "same" (already a target) or "skipped".
Function Consider
  ${If} $R0 == $Obs1Dir
  ${OrIf} $R0 == $Obs2Dir
    StrCpy $R1 same
    Return
  ${EndIf}
  ${If} $R1 == other
    StrCpy $Skipped "$Skipped$(SkipNotProgram)$\r$\n"
    StrCpy $R1 skipped
    Return
  ${EndIf}
!ifndef DLL32
  ${If} $R1 == 32
    StrCpy $Skipped "$Skipped$(SkipNo32)$\r$\n"
    StrCpy $R1 skipped
    Return
  ${EndIf}
!endif
  ${If} $Obs1Dir == ""
    StrCpy $Obs1Dir $R0
    StrCpy $Obs1Bits $R1
  ${Else}
    StrCpy $Obs2Dir $R0
    StrCpy $Obs2Bits $R1
  ${EndIf}
  StrCpy $R1 taken
FunctionEnd

Function FindObs
  ; The 32-bit OBS: the folder its setup program recorded, or else its default folder.
  SetRegView 32
  ReadRegStr $R0 HKLM "${OBS_KEY}" ""
  SetRegView 64
  Call TrimFolder
  StrCpy $R1 none
  ${If} $R0 != ""
    Call Examine
  ${EndIf}
  ${If} $R1 == none
    ; "Program Files (x86)" as 64-bit Windows names it.
    ReadRegStr $R0 HKLM "Software\Microsoft\Windows\CurrentVersion" "ProgramFilesDir (x86)"
    ${If} $R0 == ""
      StrCpy $R0 $PROGRAMFILES32
    ${EndIf}
    StrCpy $R0 "$R0\OBS"
    Call Examine
  ${EndIf}
  ${If} $R1 != none
    Call Consider
  ${EndIf}
  ; The 64-bit OBS.
  StrCpy $R0 "$PROGRAMFILES64\OBS"
  Call Examine
  ${If} $R1 != none
    Call Consider
  ${EndIf}
FunctionEnd

; The folder the streamer chose ($INSTDIR, from /D= or the folder page): $R1 = "taken", or the
; refusal's text in $R2.
Function TakeChosenFolder
  StrCpy $R0 $INSTDIR
  Call TrimFolder
  StrCpy $INSTDIR $R0
  Call Examine
  ${If} $R1 == none
    StrCpy $R2 "$(RefuseNoObs)"
    Return
  ${EndIf}
  StrCpy $Obs1Dir ""
  StrCpy $Obs2Dir ""
  StrCpy $Skipped ""
  Call Consider
  ${If} $R1 != taken
    StrCpy $R2 "$(RefuseChosen)$\r$\n$\r$\n$Skipped"
    StrCpy $Skipped ""
  ${EndIf}
FunctionEnd

Function .onInit
  !insertmacro PickLanguage
  SetRegView 64
  StrCpy $OwnDir "$PROGRAMFILES64\${OWN_FOLDER}"
  ${If} $INSTDIR != ""
    ; /D= names the OBS folder: only that one.
    Call TakeChosenFolder
    ${If} $R1 != taken
      ${If} ${Silent}
        SetErrorLevel ${EXIT_NOT_OBS_FOLDER}
        Quit
      ${EndIf}
      StrCpy $NoTarget ${EXIT_NOT_OBS_FOLDER}
      StrCpy $AskFolder 1
    ${EndIf}
  ${Else}
    Call FindObs
    ${If} $Obs1Dir == ""
      ${If} $Skipped == ""
        StrCpy $NoTarget ${EXIT_NO_OBS}
      ${Else}
        StrCpy $NoTarget ${EXIT_NO_PLUGIN_FOR_OBS}
      ${EndIf}
      ${If} ${Silent}
        SetErrorLevel $NoTarget
        Quit
      ${EndIf}
      StrCpy $INSTDIR "$PROGRAMFILES64\OBS"
      StrCpy $AskFolder 1
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------- the folder and summary pages

Function FolderPagePre
  ${If} $AskFolder != 1
    Abort  ; setup found OBS: no folder to choose
  ${EndIf}
FunctionEnd

Function FolderPageLeave
  Call TakeChosenFolder
  ${If} $R1 != taken
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R2"
    Abort
  ${EndIf}
FunctionEnd

; One line of the summary for target $R0 with plugin $R1.
Function SummaryLine
  ${If} $R1 == 64
    StrCpy $Summary "$Summary$(SummaryInto64)$\r$\n"
  ${Else}
    StrCpy $Summary "$Summary$(SummaryInto32)$\r$\n"
  ${EndIf}
FunctionEnd

Function SummaryPage
  !insertmacro MUI_HEADER_TEXT "$(SummaryTitle)" "$(SummarySubtitle)"
  StrCpy $Summary "$(SummaryHead)$\r$\n$\r$\n"
  StrCpy $R0 $Obs1Dir
  StrCpy $R1 $Obs1Bits
  Call SummaryLine
  ${If} $Obs2Dir != ""
    StrCpy $R0 $Obs2Dir
    StrCpy $R1 $Obs2Bits
    Call SummaryLine
  ${EndIf}
  StrCpy $Summary "$Summary$(SummaryOwn)$\r$\n"
  ${If} $Skipped != ""
    StrCpy $Summary "$Summary$\r$\n$(SummarySkipped)$\r$\n$Skipped"
  ${EndIf}
  StrCpy $Summary "$Summary$\r$\n$(SummaryClose)"
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateLabel} 0 0 100% 100% "$Summary"
  Pop $R0
  GetDlgItem $R0 $HWNDPARENT 1
  SendMessage $R0 ${WM_SETTEXT} 0 "STR:$(^InstallBtn)"
  nsDialogs::Show
FunctionEnd

Function SummaryLeave
  Call ObsRunning
  ${If} $R1 = 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(ObsRunning)"
    Abort
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------- installing

; Refuses (exit 3) while OBS runs or the plugin file in folder $R0 is in use.
Function RefuseWhileInUse
  ${If} $R0 == ""
    Return
  ${EndIf}
  StrCpy $R0 "$R0\plugins\${PLUGIN_NAME}"
  Call InUse
  ${If} $R1 = 1
    DetailPrint "$(FileInUse)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(FileInUse)" /SD IDOK
    SetErrorLevel ${EXIT_RUNNING}
    Abort
  ${EndIf}
FunctionEnd

; Puts the plugin $R1 (32 or 64) into folder $R0's plugins and records it.
Function InstallInto
  ${If} $R0 == ""
    Return
  ${EndIf}
  ClearErrors
  SetOutPath "$R0\plugins"
  ${If} $R1 == 64
    File "/oname=${PLUGIN_NAME}" "${DLL64}"
!ifdef DLL32
  ${Else}
    File "/oname=${PLUGIN_NAME}" "${DLL32}"
!endif
  ${EndIf}
  StrCpy $R2 "$R0\plugins\${PLUGIN_NAME}"
  ${If} ${Errors}
    StrCpy $Failed "$Failed$R2$\r$\n"
    DetailPrint "$(WriteFailedLine)"
  ${Else}
    WriteRegStr HKLM "${FILES_KEY}" "$R2" "$R1"
  ${EndIf}
FunctionEnd

; Adds the size in KiB of file $R0 to $R9.
Function AddSize
  ClearErrors
  FileOpen $R2 "$R0" r
  ${IfNot} ${Errors}
    FileSeek $R2 0 END $R3
    FileClose $R2
    IntOp $R3 $R3 + 1023
    IntOp $R3 $R3 / 1024
    IntOp $R9 $R9 + $R3
  ${EndIf}
FunctionEnd

Section
  SetRegView 64
  ${If} $Obs1Dir == ""
    SetErrorLevel $NoTarget
    Abort
  ${EndIf}
  Call ObsRunning
  ${If} $R1 = 1
    DetailPrint "$(ObsRunning)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(ObsRunning)" /SD IDOK
    SetErrorLevel ${EXIT_RUNNING}
    Abort
  ${EndIf}
  StrCpy $R0 $Obs1Dir
  Call RefuseWhileInUse
  StrCpy $R0 $Obs2Dir
  Call RefuseWhileInUse

  StrCpy $Failed ""
  StrCpy $R0 $Obs1Dir
  StrCpy $R1 $Obs1Bits
  Call InstallInto
  StrCpy $R0 $Obs2Dir
  StrCpy $R1 $Obs2Bits
  Call InstallInto

  ClearErrors
  SetOutPath $OwnDir
  File "/oname=${NOTE_NAME}" "${README}"
  File "/oname=${LICENSE_NAME}" "${LICENSE}"
  WriteUninstaller "$OwnDir\uninstall.exe"
  ${If} ${Errors}
    StrCpy $Failed "$Failed$OwnDir$\r$\n"
  ${EndIf}

  ; "Programs and Features": what it shows, and the size of every file setup put anywhere.
  StrCpy $R9 0
  StrCpy $R8 0
  ${Do}
    EnumRegValue $R0 HKLM "${FILES_KEY}" $R8
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    Call AddSize
    IntOp $R8 $R8 + 1
  ${Loop}
  StrCpy $R0 "$OwnDir\${NOTE_NAME}"
  Call AddSize
  StrCpy $R0 "$OwnDir\${LICENSE_NAME}"
  Call AddSize
  StrCpy $R0 "$OwnDir\uninstall.exe"
  Call AddSize
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R9
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$OwnDir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$OwnDir\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$OwnDir\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$OwnDir\uninstall.exe,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ${If} $Failed != ""
    MessageBox MB_OK|MB_ICONSTOP "$(WriteFailed)" /SD IDOK
    SetErrorLevel ${EXIT_WRITE_FAILED}
    Abort
  ${EndIf}
SectionEnd

; ---------------------------------------------------------------- uninstalling

Function un.onInit
  !insertmacro PickLanguage
FunctionEnd

Section "Uninstall"
  SetRegView 64
  Call un.ObsRunning
  ${If} $R1 = 1
    DetailPrint "$(UnObsRunning)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(UnObsRunning)" /SD IDOK
    SetErrorLevel ${EXIT_RUNNING}
    Abort
  ${EndIf}
  ; Every plugin file setup put anywhere, or none: nothing is removed while one is in use.
  StrCpy $R8 0
  ${Do}
    EnumRegValue $R0 HKLM "${FILES_KEY}" $R8
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    Call un.InUse
    ${If} $R1 = 1
      DetailPrint "$(UnFileInUse)"
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(UnFileInUse)" /SD IDOK
      SetErrorLevel ${EXIT_RUNNING}
      Abort
    ${EndIf}
    IntOp $R8 $R8 + 1
  ${Loop}

  StrCpy $Failed ""
  StrCpy $R8 0
  ${Do}
    EnumRegValue $R0 HKLM "${FILES_KEY}" $R8
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    Delete $R0
    ${If} ${FileExists} $R0
      StrCpy $Failed "$Failed$R0$\r$\n"
      IntOp $R8 $R8 + 1  ; stays recorded
    ${Else}
      DetailPrint "$(RemovedLine)"
      DeleteRegValue HKLM "${FILES_KEY}" $R0
    ${EndIf}
  ${Loop}
  Delete "$INSTDIR\${NOTE_NAME}"
  Delete "$INSTDIR\${LICENSE_NAME}"
  ; Run in place (_?=), the uninstaller cannot remove itself; NSIS's way leaves it then.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ${If} $Failed != ""
    MessageBox MB_OK|MB_ICONSTOP "$(RemoveFailed)" /SD IDOK
    SetErrorLevel ${EXIT_WRITE_FAILED}
    Abort
  ${EndIf}
  DeleteRegKey HKLM "${FILES_KEY}"
  DeleteRegKey /ifempty HKLM "Software\TavikSongList"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
