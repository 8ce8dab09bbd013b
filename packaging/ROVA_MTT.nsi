; The ROVA MTT installer. Built by scripts/package, which stages the files and passes:
;   VERSION          the build's version text (1.2.0 or 1.2.0+1a2b3c4), shown and registered
;   NUMERIC_VERSION  its numbers (1.2.0), for the installer's own version resource
;   STAGE            folder holding the program files and shipped.nsh (the lists of them)
;   OUTFILE          the setup.exe to write
;
; Per user and without administrator rights, into the user's local programs folder: the console
; keeps appConfig.xml, Radar_Config.ini, Log\ and SaveData\ beside its exe, which a folder under
; Program Files would not allow. The pages are English or Simplified Chinese by the system language.
; 64-bit like the console: Windows that cannot run the console cannot run its installer either.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define PRODUCT "ROVA MTT"
!define PUBLISHER "ROVA"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ROVA_MTT"
!define SHORTCUT "ROVA MTT.lnk"
; Start with Windows: the user's Run entry, per user like the installation itself.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "ROVA_MTT"
; The console's single-instance mutex: while it is held the program files are in use.
!define INSTANCE_MUTEX "Global\{6B3E2A91-4F0C-4D7B-9A55-1C2E8D7F30A4}"

!include "${STAGE}/shipped.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\ROVA_MTT"
; An upgrade goes where the earlier version is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${__FILEDIR__}/../res/art/ROVA_MTT.ico"
!define MUI_UNICON "${__FILEDIR__}/../res/art/ROVA_MTT.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\ROVA_MTT.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used when the system's is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString SectionProgram ${LANG_ENGLISH} "ROVA MTT console"
LangString SectionProgram ${LANG_SIMPCHINESE} "ROVA MTT 控制台"
LangString SectionDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString SectionDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SectionAutoStart ${LANG_ENGLISH} "Start with Windows"
LangString SectionAutoStart ${LANG_SIMPCHINESE} "随 Windows 启动"
LangString ConsoleRunning ${LANG_ENGLISH} "ROVA MTT is running. Close it and choose Retry."
LangString ConsoleRunning ${LANG_SIMPCHINESE} "ROVA MTT 正在运行。请关闭它，然后选择“重试”。"
LangString ProgramRunning ${LANG_ENGLISH} "$R0 is running from $INSTDIR, perhaps for another user or as administrator. Close it and choose Retry."
LangString ProgramRunning ${LANG_SIMPCHINESE} "$R0 正在从 $INSTDIR 运行（可能属于其他用户或以管理员身份运行）。请关闭它，然后选择“重试”。"
LangString NotReplaced ${LANG_ENGLISH} "Setup could not replace every file in $INSTDIR and put the earlier version back. Close every program that uses files of this folder and run setup again."
LangString NotReplaced ${LANG_SIMPCHINESE} "安装程序无法替换 $INSTDIR 中的所有文件，已恢复之前的版本。请关闭所有使用此文件夹中文件的程序，然后重新运行安装程序。"
LangString NotKeptAside ${LANG_ENGLISH} "Setup could not keep a copy of $R0 to put back if the upgrade fails, and changed nothing."
LangString NotKeptAside ${LANG_SIMPCHINESE} "安装程序无法保存 $R0 的副本以便升级失败时恢复，未做任何更改。"
LangString NotInstalledHere ${LANG_ENGLISH} "ROVA MTT is not installed in $INSTDIR, this uninstaller removes nothing there. To remove ROVA MTT, use Settings > Apps or the uninstaller in its program folder."
LangString NotInstalledHere ${LANG_SIMPCHINESE} "ROVA MTT 并未安装在 $INSTDIR，此卸载程序不会删除其中的任何内容。要删除 ROVA MTT，请使用“设置 > 应用”或其程序文件夹中的卸载程序。"
LangString RemoveOperatorFiles ${LANG_ENGLISH} "Also remove your settings, radar configuration, logs and recordings from $INSTDIR?"
LangString RemoveOperatorFiles ${LANG_SIMPCHINESE} "是否同时删除 $INSTDIR 中的设置、雷达配置、日志和记录数据？"

VIProductVersion "${NUMERIC_VERSION}.0"
VIFileVersion "${NUMERIC_VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"

; ---- shared by the installer and the uninstaller -------------------------------------------

!macro DefineHelpers UN
; Waits until no console runs: its files cannot be replaced or removed while it does. A silent
; run cannot ask, so it stops with an error instead.
Function ${UN}WaitForConsoleToClose
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p.r0'
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ConsoleRunning)" /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
FunctionEnd

; Stack in: a file. Stack out: 1 when it is missing or may be written, 0 when it is in use. A
; program's exe cannot be opened for writing while any process runs it, whoever started it and
; with whatever rights; the console's mutex tells of the console alone and not of its tools.
Function ${UN}FileWritable
  Exch $R0
  Push $R1
  Push $R2
  StrCpy $R2 1
  ${If} ${FileExists} $R0
    System::Call 'kernel32::CreateFileW(w R0, i 0x40000000, i 0, p 0, i 3, i 0, p 0) p.R1'
    ${If} $R1 = -1
      StrCpy $R2 0
    ${Else}
      System::Call 'kernel32::CloseHandle(p R1)'
    ${EndIf}
  ${EndIf}
  StrCpy $R0 $R2
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Stack in: the name of a program file in $INSTDIR. Waits until no process runs it; a silent run
; cannot ask, so it stops with an error instead.
Function ${UN}WaitForProgramToClose
  Exch $R0
  Push $R1
  ${Do}
    Push "$INSTDIR\$R0"
    Call ${UN}FileWritable
    Pop $R1
    ${If} $R1 = 1
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort
    retry:
  ${Loop}
  Pop $R1
  Pop $R0
FunctionEnd

; Stack in: file A, file B (B on top). Stack out: 1 when both exist and hold the same bytes, else 0.
Function ${UN}FilesEqual
  Exch $R1
  Exch
  Exch $R0
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  StrCpy $R6 0
  ClearErrors
  FileOpen $R2 $R0 r
  ${IfNot} ${Errors}
    FileOpen $R3 $R1 r
    ${IfNot} ${Errors}
      FileSeek $R2 0 END $R4
      FileSeek $R3 0 END $R5
      ${If} $R4 = $R5
        FileSeek $R2 0 SET
        FileSeek $R3 0 SET
        StrCpy $R6 1
        ${Do}
          ClearErrors
          FileReadByte $R2 $R4
          ${If} ${Errors}
            ${Break}
          ${EndIf}
          FileReadByte $R3 $R5
          ${If} $R4 <> $R5
            StrCpy $R6 0
            ${Break}
          ${EndIf}
        ${Loop}
      ${EndIf}
      FileClose $R3
    ${EndIf}
    FileClose $R2
  ${EndIf}
  StrCpy $R0 $R6
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd
!macroend
!insertmacro DefineHelpers ""
!insertmacro DefineHelpers "un."

; ---- install ---------------------------------------------------------------------------------

!macro WaitForProgramToClose NAME
  Push "${NAME}"
  Call WaitForProgramToClose
!macroend
!macro UnWaitForProgramToClose NAME
  Push "${NAME}"
  Call un.WaitForProgramToClose
!macroend

; An upgrade replaces all files or none: each file it replaces is first copied to $Previous, and
; when one cannot be written (held open by a program, say) the copies go back and the files this
; version added go again. $Writing is 1 while the folder holds a mix.
Var Previous
Var Writing

!macro KeepPrevious NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    System::Call 'kernel32::CopyFileW(w "$INSTDIR\${NAME}", w "$Previous\${NAME}", i 0) i.r0'
    ${If} $0 = 0
      StrCpy $R0 "$INSTDIR\${NAME}"
      MessageBox MB_OK|MB_ICONSTOP "$(NotKeptAside)" /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}
!macroend

!macro PutPreviousBack NAME
  ${If} ${FileExists} "$Previous\${NAME}"
    ; CopyFileW keeps the time stamps: the earlier version is back as it was.
    System::Call 'kernel32::CopyFileW(w "$Previous\${NAME}", w "$INSTDIR\${NAME}", i 0) i.r0'
  ${Else}
    Delete "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

!macro ForEachReplacedFile MACRO
  !insertmacro ForEachProgramFile ${MACRO}
  !insertmacro ${MACRO} "uninstall.exe"
  !insertmacro ${MACRO} "Radar_Config.ini"
  !insertmacro ${MACRO} "Defaults\Radar_Config.ini"
!macroend

Function KeepPreviousVersion
  InitPluginsDir
  StrCpy $Previous "$PLUGINSDIR\previous"
  CreateDirectory "$Previous\Defaults"
  !insertmacro ForEachReplacedFile KeepPrevious
  StrCpy $Writing 1
FunctionEnd

Function PutPreviousVersionBack
  ${If} $Writing = 1
    !insertmacro ForEachReplacedFile PutPreviousBack
    RMDir "$INSTDIR\Defaults"
    RMDir "$INSTDIR"
    StrCpy $Writing 0
  ${EndIf}
FunctionEnd

; Any failure to write ends here: the earlier version goes back whole and setup ends with an error.
Function NotReplaced
  Call PutPreviousVersionBack
  MessageBox MB_OK|MB_ICONSTOP "$(NotReplaced)" /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

; Abort in the dialog of a file that cannot be written stops setup before the section's checks.
Function .onInstFailed
  Call PutPreviousVersionBack
FunctionEnd

Section "!$(SectionProgram)" SectionProgram
  SectionIn RO
  ; The folder is known only now (the directory page): none of its programs may run.
  !insertmacro ForEachProgramExe WaitForProgramToClose
  SetOutPath "$INSTDIR"
  Call KeepPreviousVersion
  ClearErrors
  !insertmacro ShipProgramFiles
  ${If} ${Errors}
    Call NotReplaced
  ${EndIf}

  ; The radar configuration is the operator's once changed. Defaults\ keeps the copy this version
  ; ships; the one beside the exe is replaced only while it still equals the copy the earlier
  ; version shipped. Without that copy (an unknown earlier install) the existing file stays.
  StrCpy $0 1
  ${If} ${FileExists} "$INSTDIR\Radar_Config.ini"
    StrCpy $0 0
    ${If} ${FileExists} "$INSTDIR\Defaults\Radar_Config.ini"
      Push "$INSTDIR\Radar_Config.ini"
      Push "$INSTDIR\Defaults\Radar_Config.ini"
      Call FilesEqual
      Pop $0
    ${EndIf}
  ${EndIf}
  ClearErrors
  SetOutPath "$INSTDIR\Defaults"
  File "${STAGE}/Radar_Config.ini"
  ${If} $0 = 1
    SetOutPath "$INSTDIR"
    File "${STAGE}/Radar_Config.ini"
  ${EndIf}
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    Call NotReplaced
  ${EndIf}
  StrCpy $Writing 0
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\ROVA_MTT.exe" "" "$INSTDIR\ROVA_MTT.exe" 0

  ; The entry in the installed-apps list.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ROVA_MTT.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; Size of the program folder's own files in KB; logs and recordings in subfolders do not count.
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(SectionDesktop)" SectionDesktop
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\ROVA_MTT.exe" "" "$INSTDIR\ROVA_MTT.exe" 0
SectionEnd

; The console comes back after a reboot by itself; with monitoring at start (Parameter Setting)
; it watches again without anyone clicking.
Section /o "$(SectionAutoStart)" SectionAutoStart
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\ROVA_MTT.exe"'
SectionEnd

; Cleared on the components page: an entry of an earlier install goes.
Section "-AutoStartOff"
  ${IfNot} ${SectionIsSelected} ${SectionAutoStart}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

; After the sections: it selects one of them.
Function .onInit
  Call WaitForConsoleToClose
  ; Start with Windows stays as the earlier install left it, unless chosen: /AUTOSTART on the
  ; command line (the way of silent roll-outs) or the box on the components page.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 != ""
    !insertmacro SelectSection ${SectionAutoStart}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SectionAutoStart}
  ${EndIf}
FunctionEnd

; ---- uninstall -------------------------------------------------------------------------------

; Stack in: a folder. Stack out: its long form without a trailing backslash, to compare folders.
Function un.NormalFolder
  Exch $R0
  Push $R1
  Push $R2
  System::Call 'kernel32::GetLongPathNameW(w R0, w .R1, i ${NSIS_MAX_STRLEN}) i.R2'
  ${If} $R2 <> 0
  ${AndIf} $R2 < ${NSIS_MAX_STRLEN}
    StrCpy $R0 $R1
  ${EndIf}
  StrCpy $R1 $R0 "" -1
  ${If} $R1 == "\"
    StrCpy $R0 $R0 -1
  ${EndIf}
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; The uninstaller removes files by their names in its own folder ($INSTDIR): a copy of it in any
; other folder would take that folder's settings, logs and recordings, and the installation's
; entry and shortcuts, for its own. It goes on only in the folder the installer registered.
Function un.CheckInstallFolder
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    Push $0
    Call un.NormalFolder
    Pop $0
    Push $INSTDIR
    Call un.NormalFolder
    Pop $1
    ${If} $0 == $1
      Return
    ${EndIf}
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "$(NotInstalledHere)" /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

; Stack in: a file or folder. Removes it; a folder with everything in it, except that a link
; (junction or symbolic link, a reparse point) is removed as a link and never followed: Log\ or
; SaveData\ may point to recordings kept elsewhere, which are not the program's to remove.
Function un.RemoveTree
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  System::Call 'kernel32::GetFileAttributesW(w R0) i.R1'
  ${If} $R1 = -1
    ; Nothing there.
  ${Else}
    IntOp $R2 $R1 & 0x400
    IntOp $R3 $R1 & 0x10
    ${If} $R2 <> 0
      ; RemoveDirectoryW and DeleteFileW take a link itself away, never what it points to.
      ${If} $R3 <> 0
        RMDir $R0
      ${Else}
        Delete $R0
      ${EndIf}
    ${ElseIf} $R3 = 0
      Delete $R0
    ${Else}
      FindFirst $R1 $R2 "$R0\*"
      ${DoWhile} $R2 != ""
        ${If} $R2 != "."
        ${AndIf} $R2 != ".."
          Push "$R0\$R2"
          Call un.RemoveTree
        ${EndIf}
        FindNext $R1 $R2
      ${Loop}
      FindClose $R1
      RMDir $R0
    ${EndIf}
  ${EndIf}
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

Function un.onInit
  Call un.CheckInstallFolder
  Call un.WaitForConsoleToClose
  ; A program that runs keeps its files: the uninstall would leave them without an entry to remove
  ; them by.
  !insertmacro ForEachProgramExe UnWaitForProgramToClose
FunctionEnd

Section "Uninstall"
  !insertmacro RemoveProgramFiles
  ; A radar configuration the operator never changed is the program's own.
  Push "$INSTDIR\Radar_Config.ini"
  Push "$INSTDIR\Defaults\Radar_Config.ini"
  Call un.FilesEqual
  Pop $0
  ${If} $0 = 1
    Delete "$INSTDIR\Radar_Config.ini"
  ${EndIf}
  Delete "$INSTDIR\Defaults\Radar_Config.ini"
  RMDir "$INSTDIR\Defaults"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$DESKTOP\${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

  ; The operator's files go only when the operator says so; a silent uninstall keeps them.
  ${If} ${FileExists} "$INSTDIR\appConfig.xml"
  ${OrIf} ${FileExists} "$INSTDIR\Radar_Config.ini"
  ${OrIf} ${FileExists} "$INSTDIR\Log\*.*"
  ${OrIf} ${FileExists} "$INSTDIR\SaveData\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RemoveOperatorFiles)" /SD IDNO IDNO keepOperatorFiles
    Delete "$INSTDIR\appConfig.xml"
    Delete "$INSTDIR\Radar_Config.ini"
    Push "$INSTDIR\Log"
    Call un.RemoveTree
    Push "$INSTDIR\SaveData"
    Call un.RemoveTree
    keepOperatorFiles:
  ${EndIf}
  RMDir "$INSTDIR"
SectionEnd
