; Vantrel's installer. Built by packaging/package.sh, which passes:
;   VERSION   the version, e.g. 1.3.0 (from CMakeLists.txt)
;   TARGET    x86 for the shipping installer (32-bit, like the program), or amd64 for the
;             test-only variant made from a 64-bit build of the same sources
;   STAGE     the folder holding Vantrel.exe, VN.DLL, README.txt and LICENSE
;   OUTFILE   the installer to write
;
; It installs Vantrel.exe and VN.DLL into Program Files\Vantrel, adds a Start-menu shortcut
; for all users and registers an uninstaller. The uninstaller removes the files, the shortcut
; and its registration, then asks whether to remove the settings as well (those of the person
; who runs it, and the old copies it can reach); a silent uninstall (/S) keeps them.

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef TARGET
  !error "TARGET is not defined"
!endif
!ifndef STAGE
  !error "STAGE is not defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE is not defined"
!endif

!define PRODUCT "Vantrel"
!define COMPANY "Trelmont Software"
; The program's settings: below HKCU, each person's own. Earlier versions kept the same key
; below HKLM, and registry virtualisation made per-user copies of it for standard users; the
; program reads those once, on its first start, and leaves them.
!define SETTINGS_KEY "Software\${COMPANY}\${PRODUCT}"
!define VIRTUAL_STORE "Software\Classes\VirtualStore\MACHINE\SOFTWARE"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

!if "${TARGET}" == "amd64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else if "${TARGET}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!else
  !error "TARGET is x86 or amd64"
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; Program Files and HKEY_LOCAL_MACHINE need an administrator. The installer asks for one;
; the program itself runs as invoked (see the README).
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${COMPANY}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${COMPANY}"

LicenseData "${STAGE}/LICENSE"
LicenseText "Vantrel is free to use on the terms below." "I &Agree"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Vantrel"
  SetOutPath "$INSTDIR"
  File "${STAGE}/Vantrel.exe"
  File "${STAGE}/VN.DLL"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Vantrel.exe" "" "$INSTDIR\Vantrel.exe" 0
  ; Ends every running favourite without opening the window.
  CreateShortcut "$SMPROGRAMS\Kill ${PRODUCT} Favorites.lnk" "$INSTDIR\Vantrel.exe" "/kill" \
    "$INSTDIR\Vantrel.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantrel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\Vantrel.exe"
  Delete "$INSTDIR\VN.DLL"
  ; This runs from a copy in the temporary folder, started by Uninstall.exe, which may not
  ; have ended yet: its file cannot be deleted until it has. Try again for up to 5 seconds.
  StrCpy $0 0
  uninstaller_delete:
  Delete "$INSTDIR\Uninstall.exe"
  IfFileExists "$INSTDIR\Uninstall.exe" 0 uninstaller_deleted
  IntOp $0 $0 + 1
  Sleep 100
  IntCmp $0 50 uninstaller_deleted uninstaller_delete uninstaller_deleted
  uninstaller_deleted:
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\Kill ${PRODUCT} Favorites.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The settings: favourites, the gentle-kill choice, window placement, column widths.
  ; Asked, because a reinstall would want them back; a silent uninstall keeps them.
  MessageBox MB_YESNO|MB_ICONQUESTION \
    "Also remove Vantrel's settings (favourites, kill mode, window placement)?" \
    /SD IDNO IDNO keep_settings
  ; Those of the person who runs the uninstaller. (Another person's HKCU is not in reach.)
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${COMPANY}"
  ; The copies earlier versions left: the machine's key (as a 32-bit program sees it, like
  ; those versions) and this person's virtual-store copies of it (on 64-bit and on 32-bit
  ; Windows).
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\${COMPANY}"
  ; The machine's key in the 64-bit view too, where an administrator's own tools write it on
  ; 64-bit Windows; Vantrel reads it there as well. (32-bit Windows has the one view.)
  SetRegView 64
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\${COMPANY}"
  SetRegView lastused
  DeleteRegKey HKCU "${VIRTUAL_STORE}\WOW6432Node\${COMPANY}\${PRODUCT}"
  DeleteRegKey /ifempty HKCU "${VIRTUAL_STORE}\WOW6432Node\${COMPANY}"
  DeleteRegKey HKCU "${VIRTUAL_STORE}\${COMPANY}\${PRODUCT}"
  DeleteRegKey /ifempty HKCU "${VIRTUAL_STORE}\${COMPANY}"
  keep_settings:
SectionEnd
