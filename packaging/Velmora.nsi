; Velmora's setup program: a per-user Japanese installer that needs no administrator
; rights, and the uninstaller it writes. Built by CMake (target velmora_setup) with
;   makensis -DTARGET=x86-unicode|amd64-unicode -DVERSION=3.01 -DVERSION_QUAD=3.1.0.0
;            -DSTAGE=<the zip's Velmora folder> -DFILES=<list of its files, .nsh>
;            -DICON=<Velmora.ico> -DOUTFILE=<setup.exe> Velmora.nsi
; The installer holds exactly the files of the zip (STAGE); FILES lists them as
;   !macro VELMORA_EACH_FILE MACRO  !insertmacro ${MACRO} "images\drive.png" ...  !macroend
;
; Silent use: Velmora-3.01-setup.exe /S [/D=folder]   (exit code 0 installed, 2 not)
;             Uninstall.exe /S                         (keeps Velmora.ini and the logs)
;
; An upgrade never leaves a half-replaced folder: the new files are first written beside
; the old ones as NAME.new; the old ones are swapped out only when none of them is in use
; (an automatic check may be running), each renamed to NAME.old and the new one renamed
; into place; any failure puts the old files back. Velmora.ini and the logs are not
; among the files and are never touched.

Target ${TARGET}
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define PUBLISHER "Velmora project"
!define HOMEPAGE "https://velmora.example/"
; How long setup waits for a running Velmora.exe of the folder to end before it asks
; (or, silent, gives up): 20 tries of half a second.
!define WAIT_TRIES 20

Name "Velmora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Velmora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all
BrandingText "Velmora ${VERSION}"
ShowInstDetails show
ShowUninstDetails show
AllowSkipFiles off

Var Failed ; 1 once a step of the file swap failed

; --- Pages -------------------------------------------------------------------------------
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmora.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Velmora.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "ヘルプ（Velmora.html）を開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Velmora"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Velmora ${VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PUBLISHER}"

!define MSG_NOT_WRITABLE "このフォルダには書き込みできません。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nVelmora は設定とログをプログラムのフォルダに保存します。書き込みのできるフォルダを選んでください。"
!define MSG_IN_USE "Velmora が実行中です（自動チェックの最中かもしれません）。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nVelmora を終了してから［再試行］を押してください。［キャンセル］を押すと、何も変更せずに終了します。"
!define MSG_SWAP_FAILED "ファイルを置き換えられませんでした。以前のファイルに戻しました。$\r$\n$\r$\n$INSTDIR"
!define MSG_KEEP_DATA "設定ファイル（Velmora.ini）とログを残しますか？$\r$\n$\r$\n［はい］残します（もう一度インストールすると引き継がれます）。$\r$\n［いいえ］削除します。"

; --- What happens to each file of the list ----------------------------------------------

; Leftovers of an interrupted earlier run: an old file set aside comes back, new ones go.
!macro VelmoraRecoverFile NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
  ${AndIfNot} ${FileExists} "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${EndIf}
  Delete "$INSTDIR\${NAME}.old"
  Delete "$INSTDIR\${NAME}.new"
!macroend

!macro VelmoraStageFile NAME
  File "/oname=$INSTDIR\${NAME}.new" "${STAGE}\${NAME}"
!macroend

; Sets $0 to the name of the first existing file of the list that cannot be opened for
; writing (a running program's file cannot), "" when there is none.
!macro VelmoraProbeFile NAME
  ${If} $0 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
    SetFileAttributes "$INSTDIR\${NAME}" NORMAL
    ClearErrors
    FileOpen $1 "$INSTDIR\${NAME}" a
    ${If} ${Errors}
      StrCpy $0 "${NAME}"
    ${Else}
      FileClose $1
    ${EndIf}
  ${EndIf}
!macroend

!macro VelmoraMoveAside NAME
  ${If} $Failed == 0
  ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}.old"
    ${If} ${Errors}
      StrCpy $Failed 1
    ${EndIf}
  ${EndIf}
!macroend

!macro VelmoraPutInPlace NAME
  ${If} $Failed == 0
    ClearErrors
    Rename "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
    ${If} ${Errors}
      StrCpy $Failed 1
    ${EndIf}
  ${EndIf}
!macroend

; Undoes a partly done VelmoraMoveAside pass.
!macro VelmoraUndoMoveAside NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

; Undoes a partly done VelmoraPutInPlace pass (every old file is set aside by then).
!macro VelmoraUndoPutInPlace NAME
  Delete "$INSTDIR\${NAME}"
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

!macro VelmoraDropTemporary NAME
  Delete "$INSTDIR\${NAME}.new"
  Delete "$INSTDIR\${NAME}.old"
!macroend

!macro VelmoraRemoveFile NAME
  Delete "$INSTDIR\${NAME}"
  Delete "$INSTDIR\${NAME}.new"
  Delete "$INSTDIR\${NAME}.old"
!macroend

; Waits until no file of the list is in use; asks what to do when the wait was not
; enough (silent: gives up). $0 = "" free, else the file still in use.
!macro VelmoraWaitUntilFree UN
Function ${UN}WaitUntilFree
  Push $1
  Push $2
  retry:
  StrCpy $2 0
  ${Do}
    StrCpy $0 ""
    !insertmacro VELMORA_EACH_FILE VelmoraProbeFile
    ${If} $0 == ""
    ${OrIf} $2 >= ${WAIT_TRIES}
      ${Break}
    ${EndIf}
    ${If} $2 == 0
      DetailPrint "Velmora の終了を待っています… ($0)"
    ${EndIf}
    Sleep 500
    IntOp $2 $2 + 1
  ${Loop}
  ${If} $0 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${MSG_IN_USE}" /SD IDCANCEL IDRETRY retry
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro VelmoraWaitUntilFree ""
!insertmacro VelmoraWaitUntilFree "un."

; --- Installing -----------------------------------------------------------------------

; The chosen folder, or the nearest folder above it that exists, must take new files.
Function DirectoryLeave
  StrCpy $R0 $INSTDIR
  ${DoUntil} ${FileExists} "$R0\*.*"
    ${If} ${FileExists} "$R0"
      StrCpy $R0 "" ; a file of that name
      ${Break}
    ${EndIf}
    ${GetParent} $R0 $R1
    ${If} $R1 == ""
    ${OrIf} $R1 == $R0
      StrCpy $R0 "" ; no folder of the path exists
      ${Break}
    ${EndIf}
    StrCpy $R0 $R1
  ${Loop}
  ClearErrors
  ${If} $R0 != ""
    FileOpen $R1 "$R0\~velmora-setup.tmp" w
  ${Else}
    SetErrors
  ${EndIf}
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_NOT_WRITABLE}"
    Abort
  ${EndIf}
  FileClose $R1
  Delete "$R0\~velmora-setup.tmp"
FunctionEnd

Function GiveUp
  SetErrorLevel 2
  RMDir "$INSTDIR\images"
  RMDir "$INSTDIR"
  Abort
FunctionEnd

Section "Velmora" SecMain
  SectionIn RO
  ClearErrors
  CreateDirectory "$INSTDIR\images"
  ${IfNot} ${Errors}
    FileOpen $0 "$INSTDIR\~velmora-setup.tmp" w
  ${EndIf}
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_NOT_WRITABLE}" /SD IDOK
    Call GiveUp
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\~velmora-setup.tmp"
  SetOutPath "$INSTDIR"

  !insertmacro VELMORA_EACH_FILE VelmoraRecoverFile
  !insertmacro VELMORA_EACH_FILE VelmoraStageFile

  Call WaitUntilFree
  ${If} $0 != ""
    DetailPrint "中止しました: $0 が使用中です。"
    !insertmacro VELMORA_EACH_FILE VelmoraDropTemporary
    Call GiveUp
  ${EndIf}

  StrCpy $Failed 0
  !insertmacro VELMORA_EACH_FILE VelmoraMoveAside
  ${If} $Failed != 0
    !insertmacro VELMORA_EACH_FILE VelmoraUndoMoveAside
  ${Else}
    !insertmacro VELMORA_EACH_FILE VelmoraPutInPlace
    ${If} $Failed != 0
      !insertmacro VELMORA_EACH_FILE VelmoraUndoPutInPlace
    ${EndIf}
  ${EndIf}
  !insertmacro VELMORA_EACH_FILE VelmoraDropTemporary
  ${If} $Failed != 0
    MessageBox MB_OK|MB_ICONSTOP "${MSG_SWAP_FAILED}" /SD IDOK
    Call GiveUp
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Velmora.lnk" "$INSTDIR\Velmora.exe" "" "$INSTDIR\Velmora.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Velmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; --- Uninstalling ---------------------------------------------------------------------

; Deletes the links named PATTERN in FOLDER that start the installed Velmora.exe, read
; from each link by the helper in vb6stkit.dll.
!macro VelmoraDeleteLinks FOLDER PATTERN
  System::Call '$PLUGINSDIR\vb6stkit.dll::fDeleteLinksToW(w "${FOLDER}", w "${PATTERN}", w "$INSTDIR\Velmora.exe") i .r0 ?u'
  DetailPrint "${FOLDER}\${PATTERN}: $0"
!macroend

; The uninstaller runs as a copy of itself in a folder of its own under the temporary
; folder, which it cannot delete while it runs; a hidden command prompt deletes that copy
; and its folder (not recursively) once it has ended. Nothing happens when it runs in place.
Function un.RemoveOwnCopy
  ${If} $EXEDIR != $INSTDIR
  ${AndIf} ${FileExists} "$SYSDIR\cmd.exe"
    SetOutPath "$TEMP" ; the prompt's current folder, which must not be the one it deletes
    ExecShell "" "$SYSDIR\cmd.exe" '/d /c for /l %i in (1,1,30) do @(ping -n 2 127.0.0.1 >nul & del /f /q "$EXEPATH" 2>nul & rmdir "$EXEDIR" 2>nul & if not exist "$EXEDIR" exit)' SW_HIDE
  ${EndIf}
FunctionEnd

Function un.onGUIEnd
  Call un.RemoveOwnCopy
FunctionEnd

Function un.onUninstSuccess
  ${If} ${Silent}
    Call un.RemoveOwnCopy
  ${EndIf}
FunctionEnd

Function un.onUninstFailed
  ${If} ${Silent}
    Call un.RemoveOwnCopy
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.WaitUntilFree
  ${If} $0 != ""
    DetailPrint "中止しました: $0 が使用中です。"
    SetErrorLevel 2
    Abort
  ${EndIf}

  ; The helper comes inside the uninstaller, so that the folder's own copy can go.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\vb6stkit.dll" "${STAGE}\vb6stkit.dll"
  SetShellVarContext current
  !insertmacro VelmoraDeleteLinks "$SMSTARTUP" "*.lnk"
  !insertmacro VelmoraDeleteLinks "$SMPROGRAMS" "Velmora.lnk"
  SetShellVarContext all
  !insertmacro VelmoraDeleteLinks "$SMSTARTUP" "*.lnk"
  SetShellVarContext current

  MessageBox MB_YESNO|MB_ICONQUESTION "${MSG_KEEP_DATA}" /SD IDYES IDYES keep
    Delete "$INSTDIR\Velmora.ini"
    System::Call '$PLUGINSDIR\vb6stkit.dll::fDeleteCheckLogsW(w "$INSTDIR") i .r0 ?u'
    DetailPrint "ログ: $0"
  keep:

  !insertmacro VELMORA_EACH_FILE VelmoraRemoveFile
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR\images"
  RMDir "$INSTDIR"

  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
