; The Windows installer. Built by scripts/package with makensis, which passes:
;   VERSION (MAJOR.MINOR.PATCH), PRODUCT_NAME, PUBLISHER  from the build (cmake/release.cmake)
;   FILES    the folder holding Zelvora.exe, korvansim.dll and korvansim.exe
;   ICON     the program's icon          OUT_FILE  the installer to write
;   TARGET   x86-unicode (what ships) or amd64-unicode (the 64-bit build the Wine checks run
;            where 32-bit Wine cannot)
;
; Two modes, each with its own folder and registry root ($shell context and SHCTX follow it):
;   per user (the default)  $LOCALAPPDATA\Programs\Zelvora and HKCU; never asks for
;                           administrator rights.
;   all users (/ALLUSERS, or the choice an administrator is offered)  Program Files, HKLM,
;                           shortcuts for everyone; the installer runs itself again elevated.
; A copy in the other mode is left alone: its files, entries and start at logon stay as they are.
; The uninstaller removes exactly what was added; an upgrade first runs the installed version's
; own uninstaller, which knows that version's files, and keeps every choice made for it.
Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all
; Laid out at the screen's density (crisp text and pictures at 125-200 %), not stretched.
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define UNINSTALL_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_PARENT}\Zelvora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Zelvora"
!define CLASSES_PARENT "Software\Classes\CLSID"
!define DEVICE_CLASS "${CLASSES_PARENT}\{EEA18052-171F-4293-8598-AB6E1D7257B2}"
!define SHORTCUT "${PRODUCT_NAME}.lnk"
; The hidden application window every running copy of the program has. Under Wine a running
; .exe can be deleted, so a failed delete cannot be what tells us the program runs.
!define PROGRAM_WINDOW_CLASS "ZelvoraApplication"
!define PICTURES "${__FILEDIR__}\wizard"

Name "${PRODUCT_NAME}"
OutFile "${OUT_FILE}"
BrandingText "${PRODUCT_NAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var allUsers             ; 1: for everyone (HKLM, Program Files), 0: for this user
Var modeFixed            ; 1 when a switch chose the mode: the page is not shown
Var elevated             ; 1 when this process has administrator rights
Var mayElevate           ; 1 when the user is an administrator (rights at hand or a prompt away)
Var dirGiven             ; 1 when /D= chose the folder
Var previousDir          ; where an installed version in this mode is, empty when none
Var otherDir             ; where a copy in the other mode is, empty when none
Var createdProgramsDir   ; 1 when $LOCALAPPDATA\Programs was made by us
Var simulatorRefused     ; 1 when another file holds the device control's class id
Var modeAlone            ; mode page controls
Var modeEveryone

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURES}\welcome-100.bmp"
!define MUI_CUSTOMFUNCTION_GUIINIT PicturesForDensity
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "$(AbortWarning)"
!define MUI_COMPONENTSPAGE_SMALLDESC
; The language is kept where the installation's entry is: HKCU or HKLM ($shell context).
!define MUI_LANGDLL_REGISTRY_ROOT SHCTX
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_WINDOWTITLE "Kurulum dili / Installer language"
!define MUI_LANGDLL_INFO "Lütfen bir dil seçin.$\r$\nPlease select a language."

; Every page's texts are our own (texts.nsh): the stock Turkish lacks letters and has mistakes.
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenElevatedAgain
!define MUI_WELCOMEPAGE_TITLE "$(WelcomeTitle)"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
Page custom ModePageShow ModePageLeave
!define MUI_PAGE_HEADER_TEXT "$(ComponentsTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(ComponentsSubtitle)"
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(ComponentsTop)"
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "$(ComponentsList)"
!define MUI_COMPONENTSPAGE_TEXT_DESCRIPTION_INFO "$(ComponentsHover)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ComponentsLeave
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_HEADER_TEXT "$(DirectoryTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(DirectorySubtitle)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryTop)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(DirectoryDestination)"
!insertmacro MUI_PAGE_DIRECTORY
; The list of what was done stays up until the user goes on.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_PAGE_HEADER_TEXT "$(InstallingTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(InstallingSubtitle)"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$(InstalledTitle)"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(InstalledSubtitle)"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$(InstallStoppedTitle)"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "$(InstallStoppedSubtitle)"
!insertmacro MUI_PAGE_INSTFILES
; Ticked: a user who just presses Finish has the monitor running.
!define MUI_FINISHPAGE_TITLE "$(FinishTitle)"
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Zelvora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(FinishRun)"
!define MUI_FINISHPAGE_BUTTON "$(FinishButton)"
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_TEXT "$(UnConfirmTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(UnConfirmSubtitle)"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UnConfirmTop)"
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(UnConfirmLocation)"
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_HEADER_TEXT "$(UninstallingTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(UninstallingSubtitle)"
!define /redef MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$(UninstalledTitle)"
!define /redef MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(UninstalledSubtitle)"
!define /redef MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$(UninstallStoppedTitle)"
!define /redef MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "$(UninstallStoppedSubtitle)"
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used when the system's is neither.
!insertmacro MUI_LANGUAGE "Turkish"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_RESERVEFILE_LANGDLL
!include "${__FILEDIR__}\texts.nsh"

; No copyright line is claimed for the installer file.
!pragma warning disable 9100
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_TURKISH} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_TURKISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_TURKISH} "FileDescription" "${PRODUCT_NAME} kurulumu"
VIAddVersionKey /LANG=${LANG_TURKISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_TURKISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_TURKISH} "OriginalFilename" "Zelvora-${VERSION}-setup.exe"

; Waits for the program to be closed; gives up (and leaves everything as it is) when the user
; cancels, or at once when silent.
!macro WaitUntilProgramClosed
  ${Do}
    FindWindow $R9 "${PROGRAM_WINDOW_CLASS}"
    ${If} $R9 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY +2
    Abort "$(ProgramRunning)"
  ${Loop}
!macroend

; $0 := the file another installation registered for the device control's class id, or "".
; Our own registrations (this folder, the one being upgraded, the other mode's copy) do not count.
!macro FindForeignDeviceControl
  StrCpy $0 ""
  ${ForEach} $R8 0 1 + 1
    ${If} $R8 == 0
      ReadRegStr $R7 HKCU "${DEVICE_CLASS}\InprocServer32" ""
    ${Else}
      ReadRegStr $R7 HKLM "${DEVICE_CLASS}\InprocServer32" ""
    ${EndIf}
    ${If} $R7 != ""
    ${AndIf} $R7 != "$INSTDIR\korvansim.dll"
    ${AndIf} $R7 != "$previousDir\korvansim.dll"
    ${AndIf} $R7 != "$otherDir\korvansim.dll"
      StrCpy $0 $R7
    ${EndIf}
  ${Next}
!macroend

; $R0 := 1 when the mode's root has no such key yet (the installer is about to make it), else 0.
!macro IsNewKey key
  ClearErrors
  EnumRegKey $R0 SHCTX "${key}" 0
  ${If} ${Errors}
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 0
  ${EndIf}
!macroend

; What the installer and the uninstaller both need, once for each.
!macro SharedFunctions un
  ; $elevated, $mayElevate from the process's token: elevated (2) or a split administrator
  ; token that a prompt can lift (3); without UAC (1) the account type decides.
  Function ${un}ReadRights
    StrCpy $elevated 0
    StrCpy $mayElevate 0
    StrCpy $R1 1
    System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .R0) i .R2'
    ${If} $R2 != 0
      System::Call 'advapi32::GetTokenInformation(p R0, i 18, *i .R1, i 4, *i .R2)'
      System::Call 'kernel32::CloseHandle(p R0)'
    ${EndIf}
    UserInfo::GetAccountType
    Pop $R2
    ${If} $R1 == 2
      StrCpy $elevated 1
    ${ElseIf} $R1 == 1
    ${AndIf} $R2 == "Admin"
      StrCpy $elevated 1
    ${EndIf}
    ${If} $elevated == 1
    ${OrIf} $R1 == 3
      StrCpy $mayElevate 1
    ${EndIf}
  FunctionEnd

  ; Runs this file again with administrator rights and the parameters in $R0, waits for it and
  ; ends this process with its exit code: 2 when the user refused the prompt.
  Function ${un}RunElevatedAndQuit
    HideWindow
    !if "${un}" == ""
      ; The installer takes /D= off its command line; the folder is passed on by hand.
      ${If} $dirGiven == 1
        StrCpy $R0 "$R0 /D=$INSTDIR"
      ${EndIf}
    !endif
    !if ${NSIS_PTR_SIZE} > 4
      !define /redef PAD "i,"
    !else
      !define /redef PAD ""
    !endif
    ; SHELLEXECUTEINFOW with SEE_MASK_NOCLOSEPROCESS, verb "runas".
    System::Call '*(&l4, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w R0, p 0, i 1, ${PAD} p, p, p, p, i, ${PAD} p, p) p .R1'
    System::Call 'shell32::ShellExecuteExW(p R1) i .R2'
    StrCpy $R4 2
    ${If} $R2 != 0
      System::Call '*$R1(i, i, p, p, p, p, p, i, ${PAD} p, p, p, p, i, ${PAD} p, p .R3)'
      System::Call 'kernel32::WaitForSingleObject(p R3, i -1)'
      System::Call 'kernel32::GetExitCodeProcess(p R3, *i .R4)'
      System::Call 'kernel32::CloseHandle(p R3)'
    ${EndIf}
    System::Free $R1
    !undef PAD
    SetErrorLevel $R4
    Quit
  FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

Section "!$(SecProgramName)" SecProgram
  SectionIn RO
  !insertmacro WaitUntilProgramClosed
  ; An upgrade: the installed version's uninstaller removes its own files, shortcuts,
  ; registration and entry, so nothing of it is left over. _?= makes it run in place and wait.
  ${If} $previousDir != ""
  ${AndIf} ${FileExists} "$previousDir\uninstall.exe"
    DetailPrint "$previousDir\uninstall.exe /S"
    ExecWait '"$previousDir\uninstall.exe" /S _?=$previousDir' $R0
    ${If} $R0 != 0
      MessageBox MB_OK|MB_ICONSTOP "$(OldVersionFailed)" /SD IDOK
      Abort "$(OldVersionFailed)"
    ${EndIf}
    Delete "$previousDir\uninstall.exe"
    RMDir "$previousDir"
  ${EndIf}
  ${If} $allUsers == 0
  ${AndIfNot} ${FileExists} "$LOCALAPPDATA\Programs\*.*"
    StrCpy $createdProgramsDir 1
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${FILES}\Zelvora.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\Zelvora.exe" "" "$INSTDIR\Zelvora.exe" 0

  !insertmacro IsNewKey "${UNINSTALL_PARENT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zelvora.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "CreatedUninstallParent" $R0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "CreatedProgramsFolder" $createdProgramsDir
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "AllUsers" $allUsers
  ; The pages write the language only when they are shown; a silent upgrade keeps it too.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallerLanguage" $LANGUAGE
  ; The choices below say 1 when their section runs; an upgrade reads them back.
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "Simulator" 0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "DesktopShortcut" 0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "StartAtLogon" 0
SectionEnd

; A value under the Run key rather than a Startup-folder shortcut: the same place for both modes
; (HKCU or HKLM), no folder whose name depends on the language, and removed exactly by name.
Section "$(SecAutostartName)" SecAutostart
  !insertmacro IsNewKey "${RUN_KEY}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "CreatedRunKey" $R0
  WriteRegStr SHCTX "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Zelvora.exe"'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "StartAtLogon" 1
SectionEnd

Section /o "$(SecSimulatorName)" SecSimulator
  !insertmacro FindForeignDeviceControl
  ${If} $0 != ""
    StrCpy $simulatorRefused 1
    DetailPrint "$(SimulatorRefused)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(SimulatorRefused)" /SD IDOK
    Return
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${FILES}\korvansim.dll"
  File "${FILES}\korvansim.exe"
  ; Registered for this mode's users only, in the same place and form as the control registers
  ; itself.
  !insertmacro IsNewKey "${CLASSES_PARENT}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "CreatedClassesParent" $R0
  WriteRegStr SHCTX "${DEVICE_CLASS}" "" "Korvan caller-ID control (simulated)"
  WriteRegStr SHCTX "${DEVICE_CLASS}\InprocServer32" "" "$INSTDIR\korvansim.dll"
  WriteRegStr SHCTX "${DEVICE_CLASS}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "Simulator" 1
SectionEnd

Section /o "$(SecDesktopName)" SecDesktop
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\Zelvora.exe" "" "$INSTDIR\Zelvora.exe" 0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "DesktopShortcut" 1
SectionEnd

Section "-size"
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  IntFmt $R0 "0x%08X" $R0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $R0
  ; A silent install asked for the simulator and did not get it: say so in the exit code.
  ${If} $simulatorRefused == 1
    SetErrorLevel 3
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(SecProgramText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "$(SecAutostartText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSimulator} "$(SecSimulatorText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "$(SecDesktopText)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Ticks or clears a section from a switch: /NAME and /NAME=1 tick it, /NAME=0 clears it; any
; other value stops the installer (exit code 2) before anything is done.
!macro SwitchedSection params name section
  ClearErrors
  ${GetOptions} "${params}" "/${name}" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == ""
    ${OrIf} $R1 == "=1"
      !insertmacro SelectSection ${section}
    ${ElseIf} $R1 == "=0"
      !insertmacro UnselectSection ${section}
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "$(BadSwitch)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
!macroend

; A choice an upgrade keeps: the installed version's value, when it wrote one.
!macro KeptSection value section
  ClearErrors
  ReadRegDWORD $R0 SHCTX "${UNINSTALL_KEY}" "${value}"
  ${IfNot} ${Errors}
    ${If} $R0 == 1
      !insertmacro SelectSection ${section}
    ${Else}
      !insertmacro UnselectSection ${section}
    ${EndIf}
  ${EndIf}
!macroend

; Sets $shell context, $previousDir, $otherDir, the folder and the sections' defaults for the
; mode in $allUsers. Called again when the mode page changes the mode.
Function UseMode
  ${If} $allUsers == 1
    ReadRegStr $otherDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
    SetShellVarContext all
    ReadRegStr $previousDir HKLM "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $R2 HKCU
  ${Else}
    SetShellVarContext current
    ReadRegStr $otherDir HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $previousDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $R2 HKLM
  ${EndIf}
  ${If} $dirGiven == 0
    ${If} $previousDir != ""
      StrCpy $INSTDIR $previousDir
    ${ElseIf} $allUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES\Zelvora"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Zelvora"
    ${EndIf}
  ${EndIf}

  ; Defaults: start at logon, unless the other mode's copy already does (two monitors would
  ; start); no simulator, no desktop shortcut.
  !insertmacro SelectSection ${SecAutostart}
  ${If} $R2 == HKCU
    ReadRegStr $R0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${Else}
    ReadRegStr $R0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ${If} $R0 != ""
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
  !insertmacro UnselectSection ${SecSimulator}
  !insertmacro UnselectSection ${SecDesktop}

  StrCpy $createdProgramsDir 0
  ${If} $previousDir != ""
    ReadRegDWORD $R0 SHCTX "${UNINSTALL_KEY}" "CreatedProgramsFolder"
    ${If} $R0 == 1
      StrCpy $createdProgramsDir 1
    ${EndIf}
    !insertmacro KeptSection "StartAtLogon" ${SecAutostart}
    !insertmacro KeptSection "Simulator" ${SecSimulator}
    !insertmacro KeptSection "DesktopShortcut" ${SecDesktop}
  ${EndIf}

  ${GetParameters} $R3
  !insertmacro SwitchedSection $R3 "AUTOSTART" ${SecAutostart}
  !insertmacro SwitchedSection $R3 "SIMULATOR" ${SecSimulator}
  !insertmacro SwitchedSection $R3 "DESKTOP" ${SecDesktop}
FunctionEnd

Function .onInit
  StrCpy $simulatorRefused 0
  StrCpy $dirGiven 0
  ${If} $INSTDIR != ""
    StrCpy $dirGiven 1
  ${EndIf}
  Call ReadRights

  ; The mode: a switch, else the installed copy's (an upgrade keeps it), else per user.
  ${GetParameters} $R3
  StrCpy $modeFixed 1
  ClearErrors
  ${GetOptions} $R3 "/ALLUSERS" $R1
  ${If} ${Errors}
    ClearErrors
    ${GetOptions} $R3 "/CURRENTUSER" $R1
    ${If} ${Errors}
      StrCpy $modeFixed 0
      StrCpy $allUsers 0
      ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
      ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      ${If} $R0 == ""
      ${AndIf} $R1 != ""
        StrCpy $allUsers 1
      ${EndIf}
    ${Else}
      StrCpy $allUsers 0
    ${EndIf}
  ${Else}
    StrCpy $allUsers 1
  ${EndIf}
  ; Only an administrator is offered everyone; everyone else installs for themselves.
  ${If} $mayElevate == 0
  ${AndIf} $modeFixed == 0
    StrCpy $allUsers 0
  ${EndIf}
  Call UseMode

  ; The language: from the elevated run's parent, else the installed copy's, else asked.
  ClearErrors
  ${GetOptions} $R3 "/LANGID=" $R1
  ${IfNot} ${Errors}
    StrCpy $LANGUAGE $R1
  ${Else}
    !insertmacro MUI_LANGDLL_DISPLAY
  ${EndIf}

  ; For everyone without the rights yet: asked for them now when silent; from the pages, when
  ; the mode is settled there.
  ${If} $allUsers == 1
  ${AndIf} $elevated == 0
  ${AndIf} ${Silent}
    StrCpy $R0 "$R3"
    Call RunElevatedAndQuit
  ${EndIf}
FunctionEnd

; Picks the welcome and finish pages' picture drawn for the screen's density.
Function PicturesForDensity
  System::Call 'user32::GetDC(p 0) p .R0'
  System::Call 'gdi32::GetDeviceCaps(p R0, i 90) i .R1'
  System::Call 'user32::ReleaseDC(p 0, p R0)'
  ${If} $R1 > 168
    File "/oname=$PLUGINSDIR\modern-wizard.bmp" "${PICTURES}\welcome-200.bmp"
  ${ElseIf} $R1 > 144
    File "/oname=$PLUGINSDIR\modern-wizard.bmp" "${PICTURES}\welcome-175.bmp"
  ${ElseIf} $R1 > 120
    File "/oname=$PLUGINSDIR\modern-wizard.bmp" "${PICTURES}\welcome-150.bmp"
  ${ElseIf} $R1 > 96
    File "/oname=$PLUGINSDIR\modern-wizard.bmp" "${PICTURES}\welcome-125.bmp"
  ${EndIf}
FunctionEnd

; The elevated run goes on where its parent was: after the welcome page.
Function SkipWhenElevatedAgain
  ${GetParameters} $R3
  ClearErrors
  ${GetOptions} $R3 "/LANGID=" $R1
  ${IfNot} ${Errors}
    Abort
  ${EndIf}
FunctionEnd

Function ModePageShow
  ${If} $modeFixed == 1
  ${OrIf} $mayElevate == 0
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "$(ModeTitle)" "$(ModeSubtitle)"
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateLabel} 0 0 100% 20u "$(ModeTop)"
  Pop $R0
  ${NSD_CreateRadioButton} 10u 28u 290u 12u "$(ModeAlone)"
  Pop $modeAlone
  ${NSD_CreateLabel} 22u 41u 278u 18u "$(ModeAloneText)"
  Pop $R0
  ${NSD_CreateRadioButton} 10u 64u 290u 12u "$(ModeEveryone)"
  Pop $modeEveryone
  ${NSD_CreateLabel} 22u 77u 278u 18u "$(ModeEveryoneText)"
  Pop $R0
  ${NSD_OnClick} $modeAlone ModeClicked
  ${NSD_OnClick} $modeEveryone ModeClicked
  ${If} $allUsers == 1
    ${NSD_Check} $modeEveryone
  ${Else}
    ${NSD_Check} $modeAlone
  ${EndIf}
  ${If} $otherDir != ""
    ${If} $allUsers == 1
      StrCpy $0 "$(ModeOtherIsMine)"
    ${Else}
      StrCpy $0 "$(ModeOtherIsEveryones)"
    ${EndIf}
    ${NSD_CreateLabel} 0 104u 100% 30u "$0"
    Pop $R0
  ${EndIf}
  Push $modeEveryone
  Call ModeClicked
  nsDialogs::Show
FunctionEnd

; The Next button carries the shield when going on will ask for administrator rights.
Function ModeClicked
  Pop $R9
  GetDlgItem $R0 $HWNDPARENT 1
  ${NSD_GetState} $modeEveryone $R1
  ${If} $R1 == ${BST_CHECKED}
  ${AndIf} $elevated == 0
    SendMessage $R0 0x160C 0 1  ; BCM_SETSHIELD
  ${Else}
    SendMessage $R0 0x160C 0 0
  ${EndIf}
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $modeEveryone $R1
  StrCpy $R2 0
  ${If} $R1 == ${BST_CHECKED}
    StrCpy $R2 1
  ${EndIf}
  ${If} $R2 == 1
  ${AndIf} $elevated == 0
    ${GetParameters} $R3
    StrCpy $R0 "$R3 /ALLUSERS /LANGID=$LANGUAGE"
    Call RunElevatedAndQuit
  ${EndIf}
  ${If} $R2 != $allUsers
    StrCpy $allUsers $R2
    Call UseMode
  ${EndIf}
FunctionEnd

; Says before anything is copied that the simulator will not be installed, and leaves the
; page with it unticked.
Function ComponentsLeave
  ${If} ${SectionIsSelected} ${SecSimulator}
    !insertmacro FindForeignDeviceControl
    ${If} $0 != ""
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(SimulatorRefused)"
      !insertmacro UnselectSection ${SecSimulator}
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  ; This copy is the one for everyone when HKLM's entry names its folder.
  StrCpy $allUsers 0
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $allUsers 1
    SetShellVarContext all
  ${EndIf}
  !insertmacro MUI_UNGETLANGUAGE
  Call un.ReadRights
  ${If} $allUsers == 1
  ${AndIf} $elevated == 0
    StrCpy $R0 "_?=$INSTDIR"
    ${If} ${Silent}
      StrCpy $R0 "/S $R0"
    ${EndIf}
    Call un.RunElevatedAndQuit
  ${EndIf}
  !insertmacro WaitUntilProgramClosed
FunctionEnd

Section "Uninstall"
  ; Checked again: the program may have been started since the first page.
  !insertmacro WaitUntilProgramClosed
  ReadRegDWORD $R1 SHCTX "${UNINSTALL_KEY}" "CreatedProgramsFolder"
  ReadRegDWORD $R2 SHCTX "${UNINSTALL_KEY}" "CreatedUninstallParent"
  ReadRegDWORD $R3 SHCTX "${UNINSTALL_KEY}" "CreatedClassesParent"
  ReadRegDWORD $R4 SHCTX "${UNINSTALL_KEY}" "CreatedRunKey"

  ; The device control's registration only when it is ours: the real control's stays.
  ReadRegStr $R0 SHCTX "${DEVICE_CLASS}\InprocServer32" ""
  ${If} $R0 == "$INSTDIR\korvansim.dll"
    DeleteRegKey SHCTX "${DEVICE_CLASS}"
  ${EndIf}
  ; Start at logon only when it starts this copy.
  ReadRegStr $R0 SHCTX "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $R0 == '"$INSTDIR\Zelvora.exe"'
    DeleteRegValue SHCTX "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  Delete "$INSTDIR\Zelvora.exe"
  Delete "$INSTDIR\korvansim.dll"
  Delete "$INSTDIR\korvansim.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  ${If} $R1 == 1
    RMDir "$LOCALAPPDATA\Programs"
  ${EndIf}
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$DESKTOP\${SHORTCUT}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; The parent keys the installer made, when nothing else has come into them since.
  ${If} $R2 == 1
    DeleteRegKey /ifempty SHCTX "${UNINSTALL_PARENT}"
  ${EndIf}
  ${If} $R3 == 1
    DeleteRegKey /ifempty SHCTX "${CLASSES_PARENT}"
  ${EndIf}
  ${If} $R4 == 1
    DeleteRegKey /ifempty SHCTX "${RUN_KEY}"
  ${EndIf}
SectionEnd
