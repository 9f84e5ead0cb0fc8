; The Windows installer: for the current user, no administrator rights.
; scripts/package-windows runs makensis with VERSION, EXE, README, LICENSE and
; OUTFILE defined.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\qmx8350t"
; A program started from its own folder could never save Parametry.par
; there in Program Files; the shortcuts start it in this folder instead,
; which the user owns and the uninstaller leaves alone.
!define WORKDIR "$DOCUMENTS\QMX8350T"

Name "QMX8350T ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\qmx8350t"
ShowInstDetails nevershow

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "QMX8350T" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=qmx8350t.exe" "${EXE}"
  File "/oname=README.md" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${WORKDIR}"
  SetOutPath "${WORKDIR}" ; the working folder of the shortcuts made next
  CreateDirectory "$SMPROGRAMS\QMX8350T"
  CreateShortcut "$SMPROGRAMS\QMX8350T\QMX8350T.lnk" "$INSTDIR\qmx8350t.exe"

  WriteRegStr HKCU "${KEY}" "DisplayName" "QMX8350T"
  WriteRegStr HKCU "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${KEY}" "DisplayIcon" "$INSTDIR\qmx8350t.exe"
  WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  SetOutPath "${WORKDIR}"
  CreateShortcut "$DESKTOP\QMX8350T.lnk" "$INSTDIR\qmx8350t.exe"
SectionEnd

; The working folder and the settings in it stay: they are the operator's.
Section "Uninstall"
  Delete "$INSTDIR\qmx8350t.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\QMX8350T\QMX8350T.lnk"
  RMDir "$SMPROGRAMS\QMX8350T"
  Delete "$DESKTOP\QMX8350T.lnk"
  DeleteRegKey HKCU "${KEY}"
SectionEnd
