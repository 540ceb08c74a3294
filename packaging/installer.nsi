; The Windows installer: both programs of the 32-bit build, and on 64-bit
; Windows the 64-bit ones beside them (for Sage v30 and later, whose ODBC
; drivers are also 64-bit), Start-menu shortcuts, an uninstaller and an
; entry in Add/Remove Programs.
;
; The programs write their log, tables and archive beside themselves, so
; they are installed for the user, where the user can write, not under
; Program Files (no administrator rights needed either).
;
; makensis -DVERSION=2.0.8.1 -DSTAGE=DIR -DOUTFILE=FILE [-DTARGET=amd64-unicode]
;   STAGE holds win32\ and win64\ with quillmere-wizard.exe and
;   quillmere-export.exe each, and Wizard.ico.
Unicode true
!ifdef TARGET
Target ${TARGET}
!endif

!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Quillmere Export Wizard"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillmereExportWizard"
!define MENU_DIR "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ShowInstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "Quillmere"
VIAddVersionKey /LANG=0 "LegalCopyright" "Quillmere"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!define MUI_ICON "${STAGE}\Wizard.ico"
!define MUI_UNICON "${STAGE}\Wizard.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillmere-wizard.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start the ${PRODUCT}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Install"
    SetOutPath "$INSTDIR"
    File "${STAGE}\win32\quillmere-wizard.exe"
    File "${STAGE}\win32\quillmere-export.exe"
    ${If} ${RunningX64}
        SetOutPath "$INSTDIR\x64"
        File "${STAGE}\win64\quillmere-wizard.exe"
        File "${STAGE}\win64\quillmere-export.exe"
    ${EndIf}
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "${MENU_DIR}"
    CreateShortcut "${MENU_DIR}\${PRODUCT}.lnk" "$INSTDIR\quillmere-wizard.exe"
    ${If} ${RunningX64}
        CreateShortcut "${MENU_DIR}\${PRODUCT} (Sage v30 and later, 64-bit).lnk" \
            "$INSTDIR\x64\quillmere-wizard.exe"
    ${EndIf}

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quillmere"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillmere-wizard.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\x64\quillmere-wizard.exe"
    Delete "$INSTDIR\x64\quillmere-export.exe"
    RMDir "$INSTDIR\x64"
    Delete "$INSTDIR\quillmere-wizard.exe"
    Delete "$INSTDIR\quillmere-export.exe"
    Delete "$INSTDIR\uninstall.exe"
    ; The wizard's log stays with any archive the user may still need; the
    ; directory goes only when it is empty.
    RMDir "$INSTDIR"
    Delete "${MENU_DIR}\${PRODUCT}.lnk"
    Delete "${MENU_DIR}\${PRODUCT} (Sage v30 and later, 64-bit).lnk"
    RMDir "${MENU_DIR}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
