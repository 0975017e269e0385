; The per-user installer: Notafon.exe under the user's local programs folder, a Start menu shortcut and an entry in
; the user's list of installed programs. Nothing here needs administrator rights, so everything lives under the
; user's profile and HKCU. The uninstaller removes only what this installer put there: recordings, settings and the
; panel's data belong to the user and stay.
;
; makensis -DVERSION=2.0.0.0 -DEXE=Notafon.exe -DICON=notafon.ico -DOUTFILE=setup.exe notafon.nsi

Unicode true
; The 32-bit stub does not start on a 64-bit-only system (nor under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION | EXE | ICON | OUTFILE
    !error "VERSION, EXE, ICON and OUTFILE must be defined (-D...)"
!endif

!define PRODUCT "Notafon"
!define PUBLISHER "Parlowen"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Notafon"
!define WINDOW_CLASS "PRLWRecorder"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Notafon"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Notafon.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Notafon"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Notafon will be removed from your computer. Your recordings (in Documents\Parlowen Recordings unless you chose another folder) and your settings are kept; delete them yourself if you no longer want them."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; A running Notafon.exe cannot be replaced or deleted; left alone, the files would silently stay behind.
!macro WaitUntilClosed
    ${Do}
        FindWindow $0 "${WINDOW_CLASS}"
        ${If} $0 == 0
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Notafon is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY +2
        Abort
    ${Loop}
!macroend

Function .onInit
    SetShellVarContext current
    !insertmacro WaitUntilClosed
FunctionEnd

Section "Notafon"
    SetOutPath "$INSTDIR"
    File "/oname=Notafon.exe" "${EXE}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Notafon.lnk" "$INSTDIR\Notafon.exe" "" "$INSTDIR\Notafon.exe" 0 SW_SHOWNORMAL "" \
        "Record your voice and play audio files"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Notafon.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KB, as the list of installed programs shows it.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetShellVarContext current
    !insertmacro WaitUntilClosed
FunctionEnd

; Only our own files, one by one: the user may have chosen a folder that holds other things too.
Section "Uninstall"
    Delete "$SMPROGRAMS\Notafon.lnk"
    Delete "$INSTDIR\Notafon.exe"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
