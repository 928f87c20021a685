; Mevra's setup program and its uninstaller, built by scripts/package, which passes:
;   VERSION_TEXT     the version as Mevra shows it (".90-pre RC1")
;   VERSION_NUMBERS  four numbers for the version block ("0.90.0.1")
;   MEVRA_EXE32      the 32-bit Mevra.exe
;   MEVRA_EXE64      the 64-bit Mevra.exe
;   ICON             the program's icon
;   OUTFILE          the setup program to write
; Per machine: the 64-bit Mevra into Program Files on 64-bit Windows, with the registry
; in its 64-bit view (where the 64-bit logon reads the logon shell line); the 32-bit Mevra
; elsewhere. /S installs and uninstalls silently; /D=<folder> (last on the command line)
; chooses another folder.
; Mevra itself is only ever started as the signed-in user, never with the rights the setup
; program runs with: see StartMevraAsUser.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include x64.nsh
!if ${NSIS_PTR_SIZE} > 4
  ; A 64-bit setup program (scripts/package --setup-arch x64): ${RunningX64} is a constant
  ; there, and the branches it never takes leave unused labels.
  !pragma warning disable 6012
!endif

!define PUBLISHER "Mevra developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mevra"
!define WINLOGON_KEY "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon"
!define MEVRA_KEY "Software\Mevra"
!define MAIN_CLASS "MevraForm1"      ; Mevra's hidden main window
!define DEFAULT_SHELL "explorer.exe"

Name "Mevra"
Caption "Mevra ${VERSION_TEXT} Setup"
UninstallCaption "Mevra ${VERSION_TEXT} Uninstall"
BrandingText "Mevra ${VERSION_TEXT}"
OutFile "${OUTFILE}"
; The folder is chosen in .onInit, once the registry view is right.

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "Mevra"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Mevra setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install Mevra ${VERSION_TEXT}, which plays a film as your desktop wallpaper, for every user of this computer.$\r$\n$\r$\nA Mevra that is running is closed first, the way its Exit does.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Mevra"
!define MUI_FINISHPAGE_RUN_FUNCTION StartMevraAsUser
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Every file any version of Mevra has installed: keep adding to it, never take away, so an
; upgrade removes what an older version left.
!macro RemoveProgramFiles DIR
  Delete "${DIR}\Uninstall.exe"
  RMDir "${DIR}"
!macroend

; OUT = "yes" when ROOT\KEY holds a value NAME, of whatever type; "no" otherwise.
!macro HasValue ROOT KEY NAME OUT
  StrCpy ${OUT} "no"
  StrCpy $R7 0
  ${Do}
    ClearErrors
    EnumRegValue $R6 ${ROOT} "${KEY}" $R7
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    ${If} $R6 == "${NAME}"
      StrCpy ${OUT} "yes"
      ${ExitDo}
    ${EndIf}
    IntOp $R7 $R7 + 1
  ${Loop}
!macroend

; Functions both programs use: an uninstaller's own must start with "un.".
!macro SharedFunctions UN
; 64-bit Windows: the 64-bit view, where the logon and the 64-bit Mevra look.
Function ${UN}UseNativeView
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; Starts $INSTDIR\Mevra.exe as the user signed in to the desktop: this program runs with
; administrator rights, and a Mevra started by it would too (it would miss Explorer's
; restarts and, elevated with another account's password, work on that account's settings).
; Explorer, asked to open it, hands it to the running shell, which starts it as the user.
; Only without a shell (no Explorer, Wine) is there nobody to hand it to: started directly.
Function ${UN}StartMevraAsUser
  Push $R0
  FindWindow $R0 "Shell_TrayWnd"
  ${If} $R0 <> 0
  ${AndIf} ${FileExists} "$WINDIR\explorer.exe"
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Mevra.exe"'
  ${Else}
    Exec '"$INSTDIR\Mevra.exe"'
  ${EndIf}
  Pop $R0
FunctionEnd

; Ends a running Mevra the way its Exit does (WM_CLOSE to the main window: the film stops
; and the wallpaper comes back) and waits for the window to go.
Function ${UN}EndMevra
  FindWindow $R0 "${MAIN_CLASS}"
  ${IfThen} $R0 = 0 ${|} Return ${|}
  DetailPrint "Closing Mevra"
  System::Call "user32::PostMessage(p R0, i ${WM_CLOSE}, p 0, p 0)"
  StrCpy $R1 0
  ${Do}
    Sleep 200
    FindWindow $R0 "${MAIN_CLASS}"
    ${IfThen} $R0 = 0 ${|} ${ExitDo} ${|}
    IntOp $R1 $R1 + 1
    ${If} $R1 >= 150
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Mevra does not close. Choose Exit in its tray menu, then Retry." /SD IDCANCEL IDRETRY retry
      Abort "Mevra is still running."
      retry:
      StrCpy $R1 0
      System::Call "user32::PostMessage(p R0, i ${WM_CLOSE}, p 0, p 0)"
    ${EndIf}
  ${Loop}
FunctionEnd

; Deletes <folder on the stack>\Mevra.exe, waiting while it is still in use: after Exit the
; process lives on until an open About box is closed.
Function ${UN}DeleteMevraExe
  Exch $R2
  StrCpy $R1 0
  ${Do}
    ClearErrors
    Delete "$R2\Mevra.exe"
    ${IfNotThen} ${Errors} ${|} ${ExitDo} ${|}
    IntOp $R1 $R1 + 1
    ${If} $R1 >= 100
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$R2\Mevra.exe is in use. Close Mevra's About box, then Retry." /SD IDCANCEL IDRETRY retry
      Abort "$R2\Mevra.exe is in use."
      retry:
      StrCpy $R1 0
    ${EndIf}
    Sleep 200
  ${Loop}
  Pop $R2
FunctionEnd

; Pushes 1 when the logon shell line is the one Mevra's StartUp writes for
; <folder on the stack>\Mevra.exe ("explorer.exe <path>", quoted when it has a blank), else 0.
Function ${UN}ShellNamesMevraIn
  Exch $R2
  Push $R3
  Push $R4
  ReadRegStr $R3 HKLM "${WINLOGON_KEY}" "Shell"
  GetFullPathName /SHORT $R4 "$R2\Mevra.exe"
  ${IfThen} $R4 == "" ${|} StrCpy $R4 "$R2\Mevra.exe" ${|}  ; no short name: no third form
  ${If} $R3 == '${DEFAULT_SHELL} "$R2\Mevra.exe"'
  ${OrIf} $R3 == "${DEFAULT_SHELL} $R2\Mevra.exe"
  ${OrIf} $R3 == "${DEFAULT_SHELL} $R4"
    StrCpy $R2 1
  ${Else}
    StrCpy $R2 0
  ${EndIf}
  Pop $R4
  Pop $R3
  Exch $R2
FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

Function .onInit
  Call UseNativeView
  ${If} $INSTDIR == ""  ; no /D=
    ReadRegStr $INSTDIR HKLM "${UNINST_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\Mevra"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\Mevra"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.UseNativeView
FunctionEnd

; Pushes 1 when the user signed in to this session is not the one this program runs as (an
; administrator's password given at the elevation prompt), else 0: then this program's HKCU
; is not the signed-in user's.
Function un.ElevatedAsAnotherUser
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R3 0
  ; WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSUserName
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .R1, *i .R2) i .R0'
  ${If} $R0 <> 0
    System::Call '*$R1(&w256 .R2)'
    System::Call 'wtsapi32::WTSFreeMemory(p R1)'
    System::Call 'advapi32::GetUserNameW(w .R1, *i ${NSIS_MAX_STRLEN}) i .R0'
    ${If} $R0 <> 0
    ${AndIf} $R2 != ""
    ${AndIf} $R2 != $R1
      StrCpy $R3 1
    ${EndIf}
  ${EndIf}
  StrCpy $R0 $R3
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Removes the install recorded in the current registry view when it is not $INSTDIR; a
; StartUp line naming it follows the move.
Function RemoveOlderInstall
  ReadRegStr $R8 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $R8 != ""
  ${AndIf} $R8 != $INSTDIR
    Call UseNativeView
    Push $R8
    Call ShellNamesMevraIn
    Pop $R9
    Push $R8
    Call DeleteMevraExe
    !insertmacro RemoveProgramFiles $R8
    ${If} $R9 = 1
      Push "$INSTDIR\Mevra.exe"
      Call StartupLineFor
      Pop $R9
      WriteRegStr HKLM "${WINLOGON_KEY}" "Shell" $R9
    ${EndIf}
  ${EndIf}
FunctionEnd

; Pushes the logon shell line StartUp writes for <path on the stack>: "explorer.exe " and
; the path, in quotes when it holds a blank or a tab.
Function StartupLineFor
  Exch $R2
  Push $R3
  Push $R4
  StrCpy $R3 0
  ${Do}
    StrCpy $R4 $R2 1 $R3
    ${IfThen} $R4 == "" ${|} ${ExitDo} ${|}
    ${If} $R4 == " "
    ${OrIf} $R4 == "$\t"
      StrCpy $R2 '"$R2"'
      ${ExitDo}
    ${EndIf}
    IntOp $R3 $R3 + 1
  ${Loop}
  StrCpy $R2 "${DEFAULT_SHELL} $R2"
  Pop $R4
  Pop $R3
  Exch $R2
FunctionEnd

Section "Mevra"
  SetShellVarContext all
  Call EndMevra

  ; An older install elsewhere goes: on 64-bit Windows also one a 32-bit setup program
  ; recorded in the 32-bit view (Program Files (x86)), whose record goes with it.
  Call RemoveOlderInstall
  ${If} ${RunningX64}
    SetRegView 32
    Call RemoveOlderInstall
    SetRegView 32
    DeleteRegKey HKLM "${UNINST_KEY}"
    SetRegView 64
  ${EndIf}
  Push $INSTDIR
  Call DeleteMevraExe
  !insertmacro RemoveProgramFiles $INSTDIR

  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=Mevra.exe" "${MEVRA_EXE64}"
  ${Else}
    File "/oname=Mevra.exe" "${MEVRA_EXE32}"
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Mevra.lnk" "$INSTDIR\Mevra.exe" "" "$INSTDIR\Mevra.exe" 0 \
                 SW_SHOWNORMAL "" "Plays a film as your desktop wallpaper"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "Mevra"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" '"$INSTDIR\Mevra.exe",0'
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $R0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.EndMevra

  ; A wallpaper journal left behind (Mevra ended without putting the wallpaper back):
  ; Mevra applies it when it starts, so start it once, as the user whose wallpaper it is,
  ; and close it again. Elevated as another user, this program cannot see that user's
  ; journal: Mevra is started all the same, to look for itself.
  !insertmacro HasValue HKCU "${MEVRA_KEY}" "WallpaperJournal" $R9
  ${If} $R9 != "yes"
    Call un.ElevatedAsAnotherUser
    Pop $R0
    ${IfThen} $R0 = 1 ${|} StrCpy $R9 "yes" ${|}
  ${EndIf}
  ${If} $R9 == "yes"
  ${AndIf} ${FileExists} "$INSTDIR\Mevra.exe"
    DetailPrint "Putting the wallpaper back"
    Call un.StartMevraAsUser
    StrCpy $R1 0
    ${Do}
      Sleep 200
      FindWindow $R0 "${MAIN_CLASS}"
      ${IfThen} $R0 <> 0 ${|} ${ExitDo} ${|}
      IntOp $R1 $R1 + 1
    ${LoopUntil} $R1 >= 150
    Call un.EndMevra
  ${EndIf}
  DeleteRegKey HKCU "${MEVRA_KEY}"

  ; StartUp: only a logon shell line that starts this Mevra is put back.
  Push $INSTDIR
  Call un.ShellNamesMevraIn
  Pop $R9
  ${If} $R9 = 1
    DetailPrint "Logon shell back to ${DEFAULT_SHELL}"
    WriteRegStr HKLM "${WINLOGON_KEY}" "Shell" "${DEFAULT_SHELL}"
  ${EndIf}

  ; Hide Shortcut Arrow: the empty IsShortcut values back where the class keys exist.
  ${ForEach} $R8 0 1 + 1
    ${If} $R8 = 0
      StrCpy $R5 "lnkfile"
    ${Else}
      StrCpy $R5 "piffile"
    ${EndIf}
    ClearErrors
    EnumRegKey $R6 HKCR "$R5" 0
    ${IfNot} ${Errors}
      !insertmacro HasValue HKCR "$R5" "IsShortcut" $R9
      ${If} $R9 == "no"
        DetailPrint "Shortcut arrows back ($R5)"
        WriteRegStr HKCR "$R5" "IsShortcut" ""
      ${EndIf}
    ${EndIf}
  ${Next}

  Push $INSTDIR
  Call un.DeleteMevraExe
  Delete "$SMPROGRAMS\Mevra.lnk"
  DeleteRegKey HKLM "${UNINST_KEY}"
  !insertmacro RemoveProgramFiles $INSTDIR
SectionEnd
