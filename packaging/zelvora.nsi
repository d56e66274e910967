; The Windows installer. Built by scripts/package with makensis, which passes:
;   VERSION (MAJOR.MINOR.PATCH), PRODUCT_NAME, PUBLISHER  from the build (cmake/release.cmake)
;   FILES    the folder holding Zelvora.exe, korvansim.dll and korvansim.exe
;   ICON     the program's icon          OUT_FILE  the installer to write
;   TARGET   x86-unicode (what ships) or amd64-unicode (the 64-bit build the Wine checks run
;            where 32-bit Wine cannot)
;
; Per user, no administrator: everything goes under the user's own folders and HKCU. The
; uninstaller removes exactly what was added; an upgrade first runs the installed version's own
; uninstaller, which knows that version's files.
Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh

!define UNINSTALL_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_PARENT}\Zelvora"
!define CLASSES_PARENT "Software\Classes\CLSID"
!define DEVICE_CLASS "${CLASSES_PARENT}\{EEA18052-171F-4293-8598-AB6E1D7257B2}"
!define SHORTCUT "${PRODUCT_NAME}.lnk"
; The hidden application window every running copy of the program has. Under Wine a running
; .exe can be deleted, so a failed delete cannot be what tells us the program runs.
!define PROGRAM_WINDOW_CLASS "ZelvoraApplication"

Name "${PRODUCT_NAME}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Zelvora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT_NAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var previousDir          ; where an installed version is, empty when none
Var createdProgramsDir   ; 1 when $LOCALAPPDATA\Programs was made by us
Var simulatorRefused     ; 1 when another file holds the device control's class id

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_WINDOWTITLE "Kurulum dili / Installer language"
!define MUI_LANGDLL_INFO "Lütfen bir dil seçin.$\r$\nPlease select a language."

; The list of what was done stays up until the user goes on (read where the first page is).
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ComponentsLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Zelvora.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used when the system's is neither.
!insertmacro MUI_LANGUAGE "Turkish"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString SecProgramName ${LANG_TURKISH} "Program"
LangString SecProgramName ${LANG_ENGLISH} "Program"
LangString SecProgramText ${LANG_TURKISH} "Zelvora.exe ve Başlat menüsü kısayolu."
LangString SecProgramText ${LANG_ENGLISH} "Zelvora.exe and its Start-menu shortcut."
LangString SecSimulatorName ${LANG_TURKISH} "Cihaz benzetimi"
LangString SecSimulatorName ${LANG_ENGLISH} "Device simulator"
LangString SecSimulatorText ${LANG_TURKISH} "Programı cihaz olmadan denemek için cihaz denetiminin benzetimi (korvansim.dll, korvansim.exe). Gerçek cihazınız varsa kurmayın."
LangString SecSimulatorText ${LANG_ENGLISH} "A simulated device control for trying the program without the device (korvansim.dll, korvansim.exe). Do not install it if you have the real device."
LangString SecDesktopName ${LANG_TURKISH} "Masaüstü kısayolu"
LangString SecDesktopName ${LANG_ENGLISH} "Desktop shortcut"
LangString SecDesktopText ${LANG_TURKISH} "Masaüstüne de bir kısayol koyar."
LangString SecDesktopText ${LANG_ENGLISH} "Also puts a shortcut on the desktop."
LangString SimulatorRefused ${LANG_TURKISH} "Cihaz denetimi bu bilgisayarda başka bir dosyayla kayıtlı:$\r$\n$0$\r$\n$\r$\nBu büyük olasılıkla gerçek cihazın denetimidir. Benzetim onun yerine kurulmayacak; program gerçek cihazla çalışır."
LangString SimulatorRefused ${LANG_ENGLISH} "The device control is registered to another file on this computer:$\r$\n$0$\r$\n$\r$\nThis is most likely the real device's control. The simulator will not be installed over it; the program works with the real device."
LangString ProgramRunning ${LANG_TURKISH} "${PRODUCT_NAME} çalışıyor. Lütfen programı kapatıp Yeniden Dene'ye basın."
LangString ProgramRunning ${LANG_ENGLISH} "${PRODUCT_NAME} is running. Please close it, then press Retry."
LangString OldVersionFailed ${LANG_TURKISH} "Kurulu sürüm kaldırılamadı; kurulum durduruldu."
LangString OldVersionFailed ${LANG_ENGLISH} "The installed version could not be removed; the installation has stopped."

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
; Our own registration (this folder or the one being upgraded) does not count.
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
      StrCpy $0 $R7
    ${EndIf}
  ${Next}
!macroend

; $R0 := 1 when HKCU has no such key yet (the installer is about to make it), else 0.
!macro IsNewKey key
  ClearErrors
  EnumRegKey $R0 HKCU "${key}" 0
  ${If} ${Errors}
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 0
  ${EndIf}
!macroend

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
  ${IfNot} ${FileExists} "$LOCALAPPDATA\Programs\*.*"
    StrCpy $createdProgramsDir 1
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${FILES}\Zelvora.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\Zelvora.exe" "" "$INSTDIR\Zelvora.exe" 0

  !insertmacro IsNewKey "${UNINSTALL_PARENT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zelvora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "CreatedUninstallParent" $R0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "CreatedProgramsFolder" $createdProgramsDir
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "Simulator" 0
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
  ; Registered for this user only, in the same place and form as the control registers itself.
  !insertmacro IsNewKey "${CLASSES_PARENT}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "CreatedClassesParent" $R0
  WriteRegStr HKCU "${DEVICE_CLASS}" "" "Korvan caller-ID control (simulated)"
  WriteRegStr HKCU "${DEVICE_CLASS}\InprocServer32" "" "$INSTDIR\korvansim.dll"
  WriteRegStr HKCU "${DEVICE_CLASS}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "Simulator" 1
SectionEnd

Section /o "$(SecDesktopName)" SecDesktop
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\Zelvora.exe" "" "$INSTDIR\Zelvora.exe" 0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "DesktopShortcut" 1
SectionEnd

Section "-size"
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  IntFmt $R0 "0x%08X" $R0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $R0
  ; A silent install asked for the simulator and did not get it: say so in the exit code.
  ${If} $simulatorRefused == 1
    SetErrorLevel 3
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(SecProgramText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSimulator} "$(SecSimulatorText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "$(SecDesktopText)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
  StrCpy $createdProgramsDir 0
  StrCpy $simulatorRefused 0
  ReadRegStr $previousDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ; What an upgrade keeps from the installed version.
  ${If} $previousDir != ""
    ReadRegDWORD $R0 HKCU "${UNINSTALL_KEY}" "CreatedProgramsFolder"
    ${If} $R0 == 1
      StrCpy $createdProgramsDir 1
    ${EndIf}
    ReadRegDWORD $R0 HKCU "${UNINSTALL_KEY}" "Simulator"
    ${If} $R0 == 1
      !insertmacro SelectSection ${SecSimulator}
    ${EndIf}
    ReadRegDWORD $R0 HKCU "${UNINSTALL_KEY}" "DesktopShortcut"
    ${If} $R0 == 1
      !insertmacro SelectSection ${SecDesktop}
    ${EndIf}
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SIMULATOR" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecSimulator}
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
  !insertmacro MUI_UNGETLANGUAGE
  !insertmacro WaitUntilProgramClosed
FunctionEnd

Section "Uninstall"
  ; Checked again: the program may have been started since the first page.
  !insertmacro WaitUntilProgramClosed
  ReadRegDWORD $R1 HKCU "${UNINSTALL_KEY}" "CreatedProgramsFolder"
  ReadRegDWORD $R2 HKCU "${UNINSTALL_KEY}" "CreatedUninstallParent"
  ReadRegDWORD $R3 HKCU "${UNINSTALL_KEY}" "CreatedClassesParent"

  ; The device control's registration only when it is ours: the real control's stays.
  ReadRegStr $R0 HKCU "${DEVICE_CLASS}\InprocServer32" ""
  ${If} $R0 == "$INSTDIR\korvansim.dll"
    DeleteRegKey HKCU "${DEVICE_CLASS}"
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
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The parent keys the installer made, when nothing else has come into them since.
  ${If} $R2 == 1
    DeleteRegKey /ifempty HKCU "${UNINSTALL_PARENT}"
  ${EndIf}
  ${If} $R3 == 1
    DeleteRegKey /ifempty HKCU "${CLASSES_PARENT}"
  ${EndIf}
SectionEnd
