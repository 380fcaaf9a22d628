; The Windows installer of vesk2b, made by tools/make-installer.sh from the
; install tree of a Windows build. Defines it takes:
;   ARCH     win32 or win64          VERSION  the program's version
;   STAGE    the install tree        ICON     the program's .ico
;   FILES    generated File lines    UNFILES  generated Delete/RMDir lines
;   OUTFILE  the installer to write
;   TARGET   the installer's own processor and character set (optional,
;            x86-unicode by default; amd64-unicode for a 64-bit installer)
; It installs for the current user without administrator rights, into
; %LOCALAPPDATA%\Programs\vesk2b, or for all users with /AllUsers when run
; as administrator; /S installs silently, /D=folder picks the folder. The
; uninstaller removes the files it installed, the Start-menu entry and the
; entry in the list of installed programs, and leaves the folder only when
; someone else's files are in it.
Unicode true
!ifdef TARGET
  Target ${TARGET}
!endif
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vesk2b"
!define PUBLISHER "the vesk2b authors"

!define MULTIUSER_EXECUTIONLEVEL Standard
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR vesk2b
!if "${ARCH}" == "win64"
  !define MULTIUSER_USE_PROGRAMFILES64
!endif
!define MULTIUSER_MUI
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh

Name "vesk2b ${VERSION}"
OutFile "${OUTFILE}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey ProductName "vesk2b"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "Copyright (c) ${PUBLISHER}, BSD 2-Clause"
VIAddVersionKey FileDescription "vesk2b ${VERSION} (${ARCH}) installer"
VIAddVersionKey FileVersion "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\vesk2b.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; A 64-bit program's entry belongs in the 64-bit view of the registry, also
; when the installer itself is a 32-bit program.
!macro VESK_REGISTRY_VIEW
  !if "${ARCH}" == "win64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro VESK_REGISTRY_VIEW
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro VESK_REGISTRY_VIEW
  !insertmacro MULTIUSER_UNINIT
  ; Started without /AllUsers (from its folder, say), the uninstaller of an
  ; installation for all users still removes that installation's entries.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" InstallLocation
  ${If} $0 == $INSTDIR
    Call un.MultiUser.InstallMode.AllUsers
  ${EndIf}
FunctionEnd

Section "vesk2b"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\vesk2b.lnk" "$INSTDIR\vesk2b.exe" "" "$INSTDIR\vesk2b.exe" 0
  ; SHCTX is HKEY_CURRENT_USER or, for all users, HKEY_LOCAL_MACHINE.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "vesk2b"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\vesk2b.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\vesk2b.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
