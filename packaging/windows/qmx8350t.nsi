; The Windows installer: for the current user, no administrator rights, its
; pages in Czech. scripts/package-windows runs makensis with VERSION, EXE,
; ICON, README, LICENSE and OUTFILE defined.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\qmx8350t"
; A program started from its own folder could never save Parametry.par
; there in Program Files; the shortcuts start it in this folder instead,
; which the user owns and the uninstaller leaves alone.
!define WORKDIR "$DOCUMENTS\QMX8350T"
; Every window of the program is of this class.
!define WINDOW_CLASS "qmx8350t.TForm"

Name "QMX8350T ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\qmx8350t"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

; A running program keeps its .exe in use: replacing or removing it would
; fail half-way. The operator is asked to close it; a silent run fails.
!macro ProgramClosed
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}"
    ${IfThen} $0 = 0 ${|} ${Break} ${|}
    ; Retry looks again; Cancel (and a silent run) gives up.
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Program QMX8350T je spuštěný. Ukončete ho tlačítkem $\"Konec$\" a klikněte na Opakovat." \
      /SD IDCANCEL IDRETRY +3
    SetErrorLevel 2
    Abort "Program QMX8350T je spuštěný."
  ${Loop}
!macroend

Section "QMX8350T" SecProgram
  SectionIn RO
  !insertmacro ProgramClosed
  SetOutPath "$INSTDIR"
  File "/oname=qmx8350t.exe" "${EXE}"
  File "/oname=README.md" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${WORKDIR}"
  SetOutPath "${WORKDIR}" ; the working folder of the shortcuts made next
  CreateDirectory "$SMPROGRAMS\QMX8350T"
  CreateShortcut "$SMPROGRAMS\QMX8350T\QMX8350T.lnk" "$INSTDIR\qmx8350t.exe"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${KEY}" "DisplayName" "QMX8350T"
  WriteRegStr HKCU "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${KEY}" "Publisher" "qmx8350t maintainers"
  WriteRegStr HKCU "${KEY}" "DisplayIcon" "$INSTDIR\qmx8350t.exe"
  WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
SectionEnd

Section /o "Zástupce na ploše" SecDesktop
  SetOutPath "${WORKDIR}"
  CreateShortcut "$DESKTOP\QMX8350T.lnk" "$INSTDIR\qmx8350t.exe"
SectionEnd

; The working folder and the settings in it stay: they are the operator's.
; The entry in the list of programs goes last, once the program is gone, so
; that a removal that failed can be run again from there.
Section "Uninstall"
  !insertmacro ProgramClosed
  Delete "$INSTDIR\qmx8350t.exe"
  IfFileExists "$INSTDIR\qmx8350t.exe" 0 removed
    SetErrorLevel 2
    Abort "Soubor $INSTDIR\qmx8350t.exe nelze odstranit."
  removed:
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\QMX8350T\QMX8350T.lnk"
  RMDir "$SMPROGRAMS\QMX8350T"
  Delete "$DESKTOP\QMX8350T.lnk"
  DeleteRegKey HKCU "${KEY}"
SectionEnd
