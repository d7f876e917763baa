; The installer of Dravix for one user: no administrator rights, the program in the user's own
; programs folder, a Start-menu entry and an uninstaller. Built by scripts/package:
;   makensis -DVERSION=4.7.0 -DARCH=x64|x86 -DBINDIR=<bin folder> -DSRCDIR=<repository>
;            -DOUTFILE=<setup.exe> installer/dravix.nsi
Unicode true
!if "${ARCH}" == "x64"
    Target amd64-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define DISPLAY_NAME "Dravix 剪贴复制工具"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravix"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define STORE_FOLDER "$LOCALAPPDATA\Dravix"
!define SHORTCUT "$SMPROGRAMS\Dravix.lnk"

Name "${DISPLAY_NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Dravix"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Dravix ${VERSION} (${ARCH})"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "Dravix"
VIAddVersionKey /LANG=2052 "CompanyName" "Tavenlow"
VIAddVersionKey /LANG=2052 "FileDescription" "${DISPLAY_NAME} 安装程序 (${ARCH})"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Tavenlow"

!include "MUI2.nsh"
!include "x64.nsh"

!define MUI_ICON "${SRCDIR}/res/icons/app.ico"
!define MUI_UNICON "${SRCDIR}/res/icons/app.ico"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\dravix.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Files cannot be replaced or removed while the program runs: the user is asked to end it
; (a silent run gives up).
!macro WAIT_FOR_PROGRAM_TO_END prefix
Function ${prefix}waitForProgramToEnd
    retry:
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Pellimor") p .r0'
        StrCmp $0 0 done
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Dravix 正在运行。请从托盘图标的菜单退出 Dravix，然后点“重试”。" /SD IDCANCEL IDRETRY retry
        Abort
    done:
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PROGRAM_TO_END ""
!insertmacro WAIT_FOR_PROGRAM_TO_END "un."

Function .onInit
    SetShellVarContext current
!if "${ARCH}" == "x64"
    ${IfNot} ${RunningX64}
        MessageBox MB_OK|MB_ICONSTOP "这是 64 位 Windows 的安装程序。请使用 32 位 (x86) 安装程序。" /SD IDOK
        Abort
    ${EndIf}
!else
    ; The hook library of a 32-bit program reaches 32-bit applications only.
    ${If} ${RunningX64}
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION "这是 32 位版本：在 64 位 Windows 上，它的热键和 Ctrl+右键菜单只在 32 位程序中有效。建议改用 x64 安装程序。仍要继续吗？" /SD IDOK IDOK +2
        Abort
    ${EndIf}
!endif
FunctionEnd

Section "Dravix"
    Call waitForProgramToEnd
    SetOutPath "$INSTDIR"
    File "${BINDIR}/dravix.exe"
    File "${BINDIR}/Latchkit.dll"
    File "${BINDIR}/dravixc.exe"
    File "${BINDIR}/help.chm"
    File "${BINDIR}/Instro.dll"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\dravix.exe" "" "$INSTDIR\dravix.exe" 0 SW_SHOWNORMAL "" "${DISPLAY_NAME}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME} (${ARCH})"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tavenlow"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dravix.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize 0 $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Section "Uninstall"
    Call un.waitForProgramToEnd
    Delete "$INSTDIR\dravix.exe"
    Delete "$INSTDIR\Latchkit.dll"
    Delete "$INSTDIR\dravixc.exe"
    Delete "$INSTDIR\help.chm"
    Delete "$INSTDIR\Instro.dll"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; "Start with Windows" of the tray menu, when it starts this copy (needs the rights to
    ; write that key, as it did when it was set).
    ReadRegStr $0 HKLM "${RUN_KEY}" "pellimor"
    StrCmp $0 "$INSTDIR\dravix.exe" 0 +2
        DeleteRegValue HKLM "${RUN_KEY}" "pellimor"

    ; The clips the user kept stay unless the user says otherwise.
    IfFileExists "${STORE_FOLDER}\*.*" 0 keepStore
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "是否同时删除 Dravix 保存在本机的剪贴板记录？$\r$\n${STORE_FOLDER}" /SD IDNO IDNO keepStore
        RMDir /r "${STORE_FOLDER}"
    keepStore:
SectionEnd
