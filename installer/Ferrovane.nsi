; Ferrovane's setup program. One 32-bit installer holds both builds: on
; 64-bit Windows it installs the x86_64 build into the 64-bit Program Files
; and registers it in the 64-bit registry view, on 32-bit Windows the i686
; build. It registers the libraries with the system's regsvr32 of the
; matching bitness, adds a Start-menu folder and the uninstall entry; the
; uninstaller reverses exactly that and leaves command files a user saved
; in the install folder where they are.
;
; Packed through the generated Ferrovane-build.nsi, which defines VERSION
; and OUTFILE and includes the lists of what each build ships
; (InstallDeliverables_<arch>, RemoveDeliverables_<arch>, SHIP_<file>) and
; the example command files (InstallExamples, RemoveExamples).
; Silent use: setup.exe /S [/D=folder]; Uninstall.exe /S.

!ifdef AMD64
  ; Only for testing where 32-bit programs cannot start: the same script as
  ; a 64-bit program.
  Target amd64-unicode
!else
  Unicode true
!endif
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include MUI2.nsh

!define PRODUCT "Ferrovane"
!define PUBLISHER "Veltrac"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "Uninstall.exe"
!define STARTMENU "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Left empty: .onInit picks the Program Files of the build it installs
; unless /D= named a folder.
InstallDir ""
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Both installer and uninstaller: administrator rights, all users' Start
; menu, and the registry view and Program Files of the build they handle.
!macro Prepare un
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP|MB_OK "${PRODUCT} ${un}installs for all users and needs administrator rights." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

; regsvr32 of the system's own bitness: a 32-bit installer on 64-bit
; Windows sees SysWOW64 as $SYSDIR unless redirection is off for the call.
; $R0 gets regsvr32's exit code (0 when registration succeeded).
!macro RunRegsvr32 args file
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  ClearErrors
  ExecWait '"$SYSDIR\regsvr32.exe" /s ${args} "$INSTDIR\${file}"' $R0
  ${If} ${Errors}
    StrCpy $R0 -1
  ${EndIf}
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
!macroend

!macro RegisterLibrary file
  DetailPrint "Registering ${file}"
  !insertmacro RunRegsvr32 "" "${file}"
  ${If} $R0 <> 0
    StrCpy $R1 "$R1 ${file}"
  ${EndIf}
!macroend

!macro UnregisterLibrary file
  ${If} ${FileExists} "$INSTDIR\${file}"
    DetailPrint "Unregistering ${file}"
    !insertmacro RunRegsvr32 "/u" "${file}"
  ${EndIf}
!macroend

; A file that is in use (Explorer holding Taskel.dll during an update) can
; be neither overwritten nor deleted, but it can be renamed: the old copy
; moves aside and goes at the next restart, the new one takes its name.
!macro InstallFile name file
  ${If} ${FileExists} "$INSTDIR\${name}"
    Delete "$INSTDIR\${name}"
    ${If} ${FileExists} "$INSTDIR\${name}"
      Delete "$INSTDIR\${name}.old"
      Rename "$INSTDIR\${name}" "$INSTDIR\${name}.old"
      Delete /REBOOTOK "$INSTDIR\${name}.old"
    ${EndIf}
  ${EndIf}
  File "/oname=${name}" "${file}"
!macroend

!macro RemoveFile name
  Delete /REBOOTOK "$INSTDIR\${name}"
  Delete /REBOOTOK "$INSTDIR\${name}.old"
!macroend

Function .onInit
  !insertmacro Prepare ""
  ${If} $INSTDIR == ""
    ; An update goes where the product already is.
    ReadRegStr $INSTDIR HKLM "${UNINST_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Ferrovane"
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    !insertmacro InstallDeliverables_x86_64
  ${Else}
    !insertmacro InstallDeliverables_i686
  ${EndIf}
  SetOutPath "$INSTDIR\Examples"
  !insertmacro InstallExamples

  ; The uninstaller and its entry come before registration, so a failed
  ; registration still leaves a product that can be removed.
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Taskel.dll,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0

  ; Shortcuts start in the install folder; the wizard asks where a new
  ; command file goes.
  SetOutPath "$INSTDIR"
  CreateDirectory "${STARTMENU}"
  CreateShortcut "${STARTMENU}\New File Command.lnk" "$INSTDIR\ZELK.EXE" "/new" "$INSTDIR\Taskel.dll" 0
  CreateShortcut "${STARTMENU}\Examples.lnk" "$INSTDIR\Examples"
  !ifdef SHIP_Taskel_chm
    CreateShortcut "${STARTMENU}\Help.lnk" "$INSTDIR\Taskel.chm"
  !endif
  CreateShortcut "${STARTMENU}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}"

  StrCpy $R1 ""
  !insertmacro RegisterLibrary Taskel.dll
  !ifdef SHIP_Jotwell_dll
    !insertmacro RegisterLibrary Jotwell.dll
  !endif
  ${If} $R1 != ""
    MessageBox MB_ICONSTOP|MB_OK "Registering$R1 failed. Run the setup program again as administrator." /SD IDOK
    Abort "Registering$R1 failed"
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro Prepare "un"
FunctionEnd

Section "Uninstall"
  ; Unregister while the libraries are still there. A library that Explorer
  ; still holds is removed at the next restart.
  !ifdef SHIP_Jotwell_dll
    !insertmacro UnregisterLibrary Jotwell.dll
  !endif
  !insertmacro UnregisterLibrary Taskel.dll

  Delete "${STARTMENU}\New File Command.lnk"
  Delete "${STARTMENU}\Examples.lnk"
  Delete "${STARTMENU}\Help.lnk"
  Delete "${STARTMENU}\Uninstall ${PRODUCT}.lnk"
  RMDir "${STARTMENU}"

  ${If} ${RunningX64}
    !insertmacro RemoveDeliverables_x86_64
  ${Else}
    !insertmacro RemoveDeliverables_i686
  ${EndIf}
  ; Only the files this setup installed: a folder that still holds the
  ; user's own command files stays.
  !insertmacro RemoveExamples
  RMDir "$INSTDIR\Examples"
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}

  DeleteRegKey HKLM "${UNINST_KEY}"
  ${If} ${RebootFlag}
    MessageBox MB_ICONINFORMATION|MB_OK "Some files are in use; they are removed when Windows restarts." /SD IDOK
  ${EndIf}
SectionEnd
