; Velmora's setup program: a per-user Japanese installer that needs no administrator
; rights. Built by CMake (target velmora_setup) with
;   makensis -DTARGET=x86-unicode|amd64-unicode -DVERSION=3.01 -DVERSION_QUAD=3.1.0.0
;            -DSTAGE=<the zip's Velmora folder> -DFILES=<list of its files, .nsh>
;            -DICON=<Velmora.ico> -DHELPER=<SetupHelper.dll> -DUNINSTALLER=<Uninstall.exe>
;            -DOUTFILE=<setup.exe> Velmora.nsi
; The installer holds exactly the files of the zip (STAGE); FILES lists them as
;   !macro VELMORA_EACH_FILE MACRO  !insertmacro ${MACRO} "images\drive.png" ...  !macroend
; It installs them and Uninstall.exe (packaging/Uninstall.cpp), which removes them again.
;
; Silent use: Velmora-3.01-setup.exe /S [/D=folder]
;   exit code 0 installed; 2 not installed, the folder as it was; 3 installed, but the
;   Start-menu entry or the installed-programs entry could not be made.
;
; The folder must be missing, empty, or Velmora's (an installation, or nothing but
; Velmora's own files, such as the settings and logs an uninstall kept): any other
; folder, and a /D= that names no full plain folder path, is refused before anything is
; written (SetupHelper.dll reads the command line itself: NSIS would silently replace a
; /D= it cannot use).
;
; An upgrade never leaves the folder part old and part new: SetupHelper.dll's folder
; swap (packaging/SetupFolder.h) keeps a journal while the new files are written beside
; the old ones as NAME.new, swapped in only when no file of the folder is in use,
; verified, and only then the old ones deleted. Any failure puts the old files back; a
; run that was stopped is undone (or, once committed, finished) by the next one.
; Velmora.ini and the logs are not among the files and are never touched.

Target ${TARGET}
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define PUBLISHER "Velmora project"
!define HOMEPAGE "https://velmora.example/"
!define HELPER_DLL "$PLUGINSDIR\SetupHelper.dll"
!define RUN_MUTEX "Local\VelmoraSetup" ; also taken by Uninstall.exe
!define ERROR_ALREADY_EXISTS 183
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
AllowSkipFiles off

Var Names   ; the files of the folder, "Velmora.exe|vb6stkit.dll|...|Uninstall.exe"
Var Staged  ; 1 from the journal's start until the swap is done
Var Result

; --- Pages -------------------------------------------------------------------------------
!define MUI_ICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Velmora ${VERSION} のセットアップを中止しますか？"

!define MUI_WELCOMEPAGE_TITLE "Velmora ${VERSION} のセットアップへようこそ"
!define MUI_WELCOMEPAGE_TEXT "Velmora ${VERSION} をこのコンピューターにインストールします。$\r$\n$\r$\nVelmora は、ドライブの空き容量が少なくなったときや、フォルダの使用量が多くなったときに警告するツールです。管理者の権限は要りません。$\r$\n$\r$\n以前のバージョンが入っているときは、設定とログをそのまま残して新しいバージョンに置き換えます。$\r$\n$\r$\n続けるには［次へ］を押してください。"
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "インストール先の選択"
!define MUI_PAGE_HEADER_SUBTEXT "Velmora をインストールするフォルダを選んでください。"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Velmora を次のフォルダにインストールします。別のフォルダにするには［参照］を押して選んでください。$\r$\n$\r$\n選べるのは、新しく作るフォルダ、空のフォルダ、Velmora が入っているフォルダです。Velmora は設定とログをこのフォルダに保存するので、書き込みのできるフォルダを選んでください。"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "インストール先のフォルダ"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "インストール"
!define MUI_PAGE_HEADER_SUBTEXT "Velmora ${VERSION} をインストールしています。しばらくお待ちください。"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "インストールの完了"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "Velmora ${VERSION} をインストールしました。"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "インストールの中止"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "インストールしませんでした。フォルダは以前のままです。"
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_TITLE "Velmora ${VERSION} のインストールが完了しました"
!define MUI_FINISHPAGE_TEXT "Velmora ${VERSION} をこのコンピューターにインストールしました。スタートメニューの「Velmora」から起動できます。$\r$\n$\r$\n［完了］を押すと、セットアップを終了します。"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Velmora を起動する"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Velmora.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "ヘルプ（Velmora.html）を開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_BUTTON "完了(&F)"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "Japanese"

; NSIS's own texts, where the stock ones do not read naturally.
LangString ^ClickNext ${LANG_JAPANESE} "続けるには［次へ］を押してください。"
LangString ^ClickInstall ${LANG_JAPANESE} "［インストール］を押すと、インストールを始めます。"
LangString ^DirBrowseText ${LANG_JAPANESE} "Velmora をインストールするフォルダを選んでください。"
LangString ^SpaceRequired ${LANG_JAPANESE} "必要な空き容量: "
LangString ^SpaceAvailable ${LANG_JAPANESE} "空き容量: "
LangString ^Completed ${LANG_JAPANESE} "完了しました"
LangString ^FileError_NoIgnore ${LANG_JAPANESE} "ファイルを書き込めませんでした。$\r$\n$\r$\n$0$\r$\n$\r$\nもう一度書き込むには［再試行］を、インストールをやめるには［キャンセル］を押してください。［キャンセル］のときは、書き込んだファイルを消して以前の状態に戻します。"
LangString ^ErrorWriting ${LANG_JAPANESE} "ファイルを書き込めませんでした（ディスクの空きが足りないのかもしれません）。インストールをやめて、以前の状態に戻します。"
LangString ^ErrorDecompressing ${LANG_JAPANESE} "セットアップのデータを読み出せませんでした。セットアップのファイルが壊れているかもしれません。もう一度ダウンロードしてください。"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Velmora"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Velmora ${VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PUBLISHER}"

!define MSG_ALREADY_RUNNING "Velmora のセットアップかアンインストールが、すでに実行中です。それが終わってから、もう一度実行してください。"
!define MSG_BAD_ARGUMENT "インストール先の指定が正しくないため、インストールしませんでした。$\r$\n$\r$\n$1$\r$\n$\r$\n/D= はコマンドラインの最後に、引用符を付けずに、ドライブ名から始まるフォルダのパスで書いてください（例: /D=D:\Tools\Velmora）。"
!define MSG_OCCUPIED "このフォルダには、Velmora のものではないファイルがあります。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nVelmora をインストールできるのは、新しく作るフォルダ、空のフォルダ、Velmora が入っているフォルダだけです。別のフォルダを選んでください。"
!define MSG_UNUSABLE "このフォルダにはインストールできません。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nドライブ名から始まるフォルダのパス（例: D:\Tools\Velmora）を指定してください。ファイルの名前、ないドライブ、ドライブそのもの、使えない文字を含むパスは指定できません。"
!define MSG_NOT_WRITABLE "このフォルダには書き込みできません。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nVelmora は設定とログをプログラムのフォルダに保存します。書き込みのできるフォルダを選んでください。"
!define MSG_CANNOT_BEGIN "このフォルダに新しいファイルを書き込めないため、インストールしませんでした。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\n書き込みのできるフォルダか確かめてください。名前の最後が .new や .old のファイル（以前のセットアップの残り）があるときは、それを削除してからもう一度実行してください。"
!define MSG_UNFINISHED "前回のセットアップかアンインストールが途中で終わったフォルダを、元の状態に戻せませんでした。何も変更せずに終了します。$\r$\n$\r$\n$INSTDIR"
!define MSG_IN_USE "Velmora が実行中です（自動チェックの最中かもしれません）。$\r$\n$\r$\n$INSTDIR$\r$\n使用中のファイル: $0$\r$\n$\r$\nVelmora を終了してから［再試行］を押してください。［キャンセル］を押すと、何も変更せずに終了します。"
!define MSG_SWAP_FAILED "ファイルを入れ替えられなかったため、インストールをやめました。フォルダは以前のファイルに戻してあります。$\r$\n$\r$\n$INSTDIR"
!define MSG_SWAP_STUCK "ファイルを入れ替えられず、以前のファイルにも戻しきれませんでした。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nもう一度セットアップを実行すると、以前の状態に戻してからやり直します。"
!define MSG_NOT_REGISTERED "Velmora はインストールしましたが、次のものを作成できませんでした。$\r$\n$\r$\n$R1$\r$\nもう一度セットアップを実行してください。"

; --- The files ----------------------------------------------------------------------------

!macro VelmoraAddName NAME
  StrCpy $Names "$Names${NAME}|"
!macroend

!macro VelmoraStageFile NAME
  SetDetailsPrint listonly
  DetailPrint "  ${NAME}"
  SetDetailsPrint none
  File "/oname=$INSTDIR\${NAME}.new" "${STAGE}\${NAME}"
!macroend

; $0 = what the folder is: 0 missing or empty, 1 Velmora's, 2 other files, 3 unusable.
Function CheckPlace
  System::Call '${HELPER_DLL}::VelmoraPlace(w "$INSTDIR", w "$Names") i .r0 ?u'
FunctionEnd

; Waits until no file of the folder is in use; asks what to do when the wait was not
; enough (silent: gives up). $0 = "" free, else the file still in use.
Function WaitUntilFree
  retry:
  StrCpy $1 0
  ${Do}
    System::Call '${HELPER_DLL}::VelmoraInUse(w "$INSTDIR", w .r0, i ${NSIS_MAX_STRLEN}) i .r2 ?u'
    ${If} $2 != 1
      StrCpy $0 ""
      ${Break}
    ${EndIf}
    ${If} $1 >= ${WAIT_TRIES}
      ${Break}
    ${EndIf}
    ${If} $1 == 0
      DetailPrint "Velmora の終了を待っています（使用中のファイル: $0）…"
    ${EndIf}
    Sleep 500
    IntOp $1 $1 + 1
  ${Loop}
  ${If} $0 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${MSG_IN_USE}" /SD IDCANCEL IDRETRY retry
  ${EndIf}
FunctionEnd

; Ends the run as not installed: a staged run is undone first.
Function GiveUp
  ${If} $Staged == 1
    System::Call '${HELPER_DLL}::VelmoraRecover(w "$INSTDIR") i .r0 ?u'
    StrCpy $Staged 0
  ${EndIf}
  DetailPrint "インストールをやめました。"
  SetErrorLevel 2
  Abort
FunctionEnd

; --- Installing -----------------------------------------------------------------------

Function .onInit
  ; One setup program or uninstaller at a time: a second one would take the first one's
  ; files for the leftovers of a stopped run. The mutex goes with the process.
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${RUN_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $1 == ${ERROR_ALREADY_EXISTS}
    MessageBox MB_OK|MB_ICONSTOP "${MSG_ALREADY_RUNNING}" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  InitPluginsDir
  SetDateSave off ; built here, not staged with the release's time: no time stored
  File "/oname=${HELPER_DLL}" "${HELPER}"
  SetDateSave on
  StrCpy $Names ""
  !insertmacro VELMORA_EACH_FILE VelmoraAddName
  StrCpy $Names "$NamesUninstall.exe"
  StrCpy $Staged 0
  ; The folder the command line asks for, read from the line itself.
  System::Call '${HELPER_DLL}::VelmoraInstallDir(w .r1, i ${NSIS_MAX_STRLEN}) i .r2 ?u'
  ${If} $2 == 3
    SetSilent silent ; /S written after /D=, where the line no longer showed it
  ${EndIf}
  ${If} $2 >= 2
    MessageBox MB_OK|MB_ICONSTOP "${MSG_BAD_ARGUMENT}" /SD IDOK
    SetErrorLevel 2
    Quit
  ${ElseIf} $2 == 1
    StrCpy $INSTDIR $1
  ${EndIf}
FunctionEnd

; Files written beside the old ones that an aborted run (a write that failed) left.
Function .onInstFailed
  ${If} $Staged == 1
    System::Call '${HELPER_DLL}::VelmoraRecover(w "$INSTDIR") i .r0 ?u'
  ${EndIf}
  SetErrorLevel 2
FunctionEnd

; The chosen folder must be Velmora's or free, and it (or the nearest folder above it
; that exists) must take new files.
Function DirectoryLeave
  Call CheckPlace
  ${If} $0 == 2
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_OCCUPIED}"
    Abort
  ${ElseIf} $0 != 0
  ${AndIf} $0 != 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_UNUSABLE}"
    Abort
  ${EndIf}
  StrCpy $R0 $INSTDIR
  ${DoUntil} ${FileExists} "$R0\*.*"
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

Section "Velmora" SecMain
  SectionIn RO
  DetailPrint "インストール先: $INSTDIR"
  ; The folder once more: a silent run has seen no folder page.
  Call CheckPlace
  ${If} $0 == 2
    DetailPrint "このフォルダには Velmora のものではないファイルがあります。"
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_OCCUPIED}" /SD IDOK
    Call GiveUp
  ${ElseIf} $0 != 0
  ${AndIf} $0 != 1
    DetailPrint "このフォルダにはインストールできません。"
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_UNUSABLE}" /SD IDOK
    Call GiveUp
  ${EndIf}
  System::Call '${HELPER_DLL}::VelmoraRecover(w "$INSTDIR") i .r0 ?u'
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "${MSG_UNFINISHED}" /SD IDOK
    Call GiveUp
  ${EndIf}
  System::Call '${HELPER_DLL}::VelmoraBegin(w "$INSTDIR", w "$Names") i .r0 ?u'
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "${MSG_CANNOT_BEGIN}" /SD IDOK
    Call GiveUp
  ${EndIf}
  StrCpy $Staged 1

  DetailPrint "新しいファイルを書き込んでいます…"
  !insertmacro VELMORA_EACH_FILE VelmoraStageFile
  SetDetailsPrint listonly
  DetailPrint "  Uninstall.exe"
  SetDetailsPrint none
  SetDateSave off
  File "/oname=$INSTDIR\Uninstall.exe.new" "${UNINSTALLER}"
  SetDateSave on
  SetDetailsPrint both

  Call WaitUntilFree
  ${If} $0 != ""
    DetailPrint "使用中のファイルがあるため、入れ替えられません: $0"
    Call GiveUp
  ${EndIf}
  DetailPrint "ファイルを入れ替えています…"
  System::Call '${HELPER_DLL}::VelmoraSwap(w "$INSTDIR") i .r0 ?u'
  StrCpy $Result $0
  ${If} $Result == 2
    StrCpy $Staged 0
    DetailPrint "ファイルを入れ替えられなかったため、以前のファイルに戻しました。"
    MessageBox MB_OK|MB_ICONSTOP "${MSG_SWAP_FAILED}" /SD IDOK
    Call GiveUp
  ${ElseIf} $Result != 0
  ${AndIf} $Result != 1
    DetailPrint "ファイルを入れ替えられず、以前のファイルにも戻しきれませんでした。"
    MessageBox MB_OK|MB_ICONSTOP "${MSG_SWAP_STUCK}" /SD IDOK
    Call GiveUp
  ${EndIf}
  StrCpy $Staged 0
  ${If} $Result == 1
    DetailPrint "古いファイルの一部は使用中のため、次にセットアップを実行したときに削除します。"
  ${EndIf}

  DetailPrint "スタートメニューと「アプリ」（「プログラムと機能」）に登録しています…"
  SetDetailsPrint none
  SetOutPath "$INSTDIR" ; the working folder of the Start-menu entry and of the finish page's start
  StrCpy $R1 ""
  ClearErrors
  CreateShortCut "$SMPROGRAMS\Velmora.lnk" "$INSTDIR\Velmora.exe" "" "$INSTDIR\Velmora.exe" 0
  ${If} ${Errors}
    StrCpy $R1 "スタートメニューの「Velmora」$\r$\n"
  ${EndIf}
  ClearErrors
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
  ${If} ${Errors}
    StrCpy $R1 "$R1「設定」の「アプリ」（「プログラムと機能」）の登録$\r$\n"
  ${EndIf}
  SetDetailsPrint both
  ${If} $R1 != ""
    DetailPrint "スタートメニューか「アプリ」への登録を作成できませんでした。"
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_NOT_REGISTERED}" /SD IDOK
    SetErrorLevel 3
  ${Else}
    DetailPrint "インストールが終わりました。"
  ${EndIf}
SectionEnd
