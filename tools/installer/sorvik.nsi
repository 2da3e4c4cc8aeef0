; The per-user installer. Built by tools/package.sh, which defines:
;   VERSION      the program's version (1.5)
;   ARCH         x86 (32-bit program and installer) or x64 (64-bit program and installer)
;   OUTFILE      where to write Sorvik-VERSION-ARCH-setup.exe
;   ICON         the program's icon
;   FILES_NSH    File commands for the staged program folder
;   REMOVE_NSH   Delete/RMDir commands for the same files, deepest first
;   SIGN         (optional) a command that signs the file given as its argument in place
; Switches of the setup.exe besides NSIS' own (/S, /D=): /AUTOSTART ticks "开机启动" on the
; finish page, and a silent install then writes the value that box writes.
!if "${ARCH}" == "x64"
Target amd64-unicode
!else if "${ARCH}" == "x86"
Unicode true
!else
!error "ARCH must be x86 or x64"
!endif
ManifestDPIAware true
; Sorvik writes vpn.dat, log.log, update.dat and lines.dat beside itself: it lives in a folder the
; player can write, so neither the install nor the program needs administrator rights.
RequestExecutionLevel user
SetCompressor /SOLID lzma
CRCCheck on

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "Sorvik加速器"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sorvik"
!define SHORTCUT "${PRODUCT}.lnk"
; The program's tray item "开机启动" writes, reads and removes this same value. HKCU, like
; $LOCALAPPDATA, is the profile of whoever runs this installer: value and program go together.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${PRODUCT}"

Var StartWithWindows ; 1: write the Run value (/AUTOSTART, or the finish page's box)

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Sorvik"
; An earlier install is upgraded where it is, even in a folder the player chose.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!ifdef SIGN
; "= 0": a failed signature fails the build instead of shipping an unsigned file.
!finalize '${SIGN} "%1"' = 0
!uninstfinalize '${SIGN} "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Sorvik.exe"
!define MUI_FINISHPAGE_RUN_TEXT "立即运行 ${PRODUCT}"
; The second box of the page, unticked unless /AUTOSTART was given; ticked, it writes the value.
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "开机启动（登录 Windows 后在通知区域运行）"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION WriteStartWithWindows
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

LangString Needs64Text ${LANG_SIMPCHINESE} "此安装程序是 64 位版，只能在 64 位 Windows 上安装。$\r$\n请下载 32 位版（文件名中带 x86 的安装程序），它适用于所有 Windows。"
LangString RunningText ${LANG_SIMPCHINESE} "${PRODUCT}正在运行。$\r$\n请先退出${PRODUCT}（右键通知区域中的图标，选择“退出”），然后点击“重试”。"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "Sorvik"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "OriginalFilename" "Sorvik-${VERSION}-${ARCH}-setup.exe"

; A running Sorvik holds its exe and rewrites its files: the player quits it, we never end it.
; Silent runs cannot ask, so they give up with exit code 2.
!macro DEFINE_WAIT_FOR_QUIT PREFIX
Function ${PREFIX}WaitForQuit
  ${Do}
    FindWindow $0 "Sorvik"
    ${If} $0 = 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(RunningText)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_WAIT_FOR_QUIT ""
!insertmacro DEFINE_WAIT_FOR_QUIT "un."

Function .onInit
!if "${ARCH}" == "x64"
  ; Windows' loader normally turns a 64-bit exe away on 32-bit Windows with its own message;
  ; should this start there anyway, the player learns which download to take instead. Asked
  ; at run time: ${RunningX64} is simply true in a 64-bit installer. Silent runs end with 3.
  ${If} ${IsNativeIA32}
    MessageBox MB_OK|MB_ICONSTOP "$(Needs64Text)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!endif
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    StrCpy $StartWithWindows 1
  ${EndIf}
  Call WaitForQuit
FunctionEnd

; As the program itself writes it: the quoted path and the switch that keeps its window hidden.
Function WriteStartWithWindows
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Sorvik.exe" /tray'
FunctionEnd

Function FinishPageShow
  ${If} $StartWithWindows == 1
    ${NSD_Check} $mui.FinishPage.ShowReadme
  ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  ; The player may have started it while the pages were open.
  Call WaitForQuit
  !include "${FILES_NSH}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; Shortcuts take $OUTDIR as their working folder.
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\Sorvik.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Sorvik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sorvik.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  ; A silent install has no finish page to tick. Without the switch an earlier choice stays.
  ${If} ${Silent}
  ${AndIf} $StartWithWindows == 1
    Call WriteStartWithWindows
  ${EndIf}
SectionEnd

Section "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\Sorvik.exe"
SectionEnd

Function un.onInit
  Call un.WaitForQuit
FunctionEnd

; Only what we installed and what the program writes beside itself: files the player put
; into the folder stay, and so does the folder then.
Section "Uninstall"
  !include "${REMOVE_NSH}"
  Delete "$INSTDIR\vpn.dat"
  Delete "$INSTDIR\log.log"
  Delete "$INSTDIR\update.dat"
  Delete "$INSTDIR\lines.dat"
  Delete "$INSTDIR\lines.dat.tmp"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$DESKTOP\${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
SectionEnd
