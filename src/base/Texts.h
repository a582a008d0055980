// The system's own texts: captions, messages, titles, file-name parts and log headers.
// Every user-visible string lives here, so that each one is written exactly once.
#pragma once

namespace velmora::texts {

// --- Product ---------------------------------------------------------------------
inline constexpr wchar_t kProduct[] = L"Velmora";
inline constexpr wchar_t kExeName[] = L"Velmora.exe";
inline constexpr wchar_t kIniName[] = L"Velmora.ini";
inline constexpr wchar_t kHelpName[] = L"Velmora.hlp";
inline constexpr wchar_t kHelpHtmlName[] = L"Velmora.html";

// --- Main window -----------------------------------------------------------------
inline constexpr wchar_t kMainCaption[] = L"Velmora  ドライブ空き容量確認";
inline constexpr wchar_t kFontGothic[] = L"ＭＳ ゴシック";
inline constexpr wchar_t kFontPGothic[] = L"ＭＳ Ｐゴシック";

inline constexpr wchar_t kTabDrive[] = L"ドライブチェック";
inline constexpr wchar_t kTabDir[] = L"ディレクトリチェック";

inline constexpr wchar_t kPageDrive[] = L"1.ドライブの空きサイズのチェック";
inline constexpr wchar_t kPageDir[] = L"2.ディレクトリの使用サイズのチェック";
inline constexpr wchar_t kHeadlineDrive[] = L"ドライブの空きサイズが、指定サイズより小さくなった場合に警告する";
inline constexpr wchar_t kHeadlineDir[] = L"ディレクトリの使用サイズが、指定サイズより大きくなった場合に警告する";

inline constexpr wchar_t kPickDriveStep[] = L"１．調査するドライブを選択する";           // Frame1
inline constexpr wchar_t kDriveThresholdStep[] = L"２．警告を出す空きサイズを設定する";  // Frame2
inline constexpr wchar_t kShortCutStep[] = L"３．ショートカットを作成する";              // Frame3, Frame9
inline constexpr wchar_t kPickDirStep[] = L"１．調査するディレクトリを指定する";         // Frame7
inline constexpr wchar_t kDirThresholdStep[] = L"２．警告を出す使用サイズを設定する";    // Frame8

inline constexpr wchar_t kFreeSizeCaption[] = L"空きサイズ";                   // lbl1
inline constexpr wchar_t kFreeSizePlaceholder[] = L"999999MB";                 // lblAki
inline constexpr wchar_t kUsedSizeCaption[] = L"使用サイズ";                   // Label4
inline constexpr wchar_t kUsedSizeNotMeasured[] = L"-------";                  // lblSiyou
inline constexpr wchar_t kDirBoxPlaceholder[] = L"txtDir";                     // txtDir
inline constexpr wchar_t kBrowseButton[] = L"...";                             // cmdPath
inline constexpr wchar_t kMeasureUsedButton[] = L"現在の使用量チェック";       // cmdSiyou
inline constexpr wchar_t kMeasureUsedTip[] = L"多少、計算に時間がかかります";  // cmdSiyou
inline constexpr wchar_t kSizeDefault[] = L"100";
inline constexpr wchar_t kThresholdUnitNote[] = L"MB　　　MB単位で４桁まで設定できます";     // lblData
inline constexpr wchar_t kShortCutButton[] = L"調査用ショートカットをスタートアップに作成";  // cmdShortCut

inline constexpr wchar_t kDriveNoteManyLinks[] = L"＊ドライブ単位に複数作成することもできます";    // Label2(0)
inline constexpr wchar_t kDriveNoteAtLogOn[] = L"＊起動したときに自動的に空きサイズを調査して、";  // Label2(1)
inline constexpr wchar_t kDriveNoteWarnBelow[] = L"　指定したサイズより小さければ警告を出します";  // Label2(2)
inline constexpr wchar_t kDirNoteManyLinks[] = L"＊ディレクトリ単位に複数作成することもできます";  // Label2(3)
inline constexpr wchar_t kDirNoteAtLogOn[] = L"＊起動したときに自動的に使用サイズを調査して、";    // Label2(4)
inline constexpr wchar_t kDirNoteWarnAbove[] = L"　指定したサイズより大きければ警告を出します";    // Label2(5)

inline constexpr wchar_t kLogCsvOption[] = L"CSV形式でログを残す";                                         // chkLog(0)
inline constexpr wchar_t kLogTxtOption[] = L"TXT形式でログを残す";                                         // chkLog(1)
inline constexpr wchar_t kLogOptionTip[] = L"調査時のログを残します　最大１００行（５ＫＢ程度）までです";  // chkLog
inline constexpr wchar_t kLogFolderButton[] = L"ログ参照";                                                 // cmdRogu
inline constexpr wchar_t kLogFolderTip[] = L"ログのあるフォルダを表示します";                              // cmdRogu
inline constexpr wchar_t kEndButton[] = L"終了";                                                           // cmdEnd

inline constexpr wchar_t kHelpMenu[] = L"ヘルプ";         // mnuHelp
inline constexpr wchar_t kVersionMenu[] = L"バージョン";  // mnuVer

// --- Size display ----------------------------------------------------------------
inline constexpr wchar_t kUnitMB[] = L"MB";
inline constexpr wchar_t kUnitKB[] = L"KB";
inline constexpr wchar_t kDriveUnknown[] = L"不明！";
inline constexpr wchar_t kPathMissing[] = L"パス無し";
inline constexpr wchar_t kMeasuring[] = L"調査中…";

// --- Automatic check run ---------------------------------------------------------
inline constexpr wchar_t kTitleDriveResult[] = L"Velmora  ドライブ空きサイズ確認結果";
inline constexpr wchar_t kTitleDirResult[] = L"Velmora  ディレクトリ使用サイズ確認結果";
inline constexpr wchar_t kWarning[] = L"警告！";
inline constexpr wchar_t kDriveFreeIs[] = L"ドライブの空きサイズが、";
inline constexpr wchar_t kMbOrLess[] = L" MB以下になりました";
inline constexpr wchar_t kCurrentFree[] = L"現在の空きサイズは、";
inline constexpr wchar_t kMbDesu[] = L"MBです";
inline constexpr wchar_t kDriveNotFound[] = L"ドライブが見つかりません";
inline constexpr wchar_t kDirUsedIs[] = L"ディレクトリの使用サイズが、";
inline constexpr wchar_t kMbOrMore[] = L" MB以上になりました";
inline constexpr wchar_t kCurrentUsed[] = L"現在の使用サイズは、";
inline constexpr wchar_t kDirNotFound[] = L"ディレクトリが見つかりません";
inline constexpr wchar_t kDriveNotAccessible[] = L"ドライブにアクセスできません";

// --- Settings file ---------------------------------------------------------------
inline constexpr wchar_t kIniKeyCsv[] = L"[Log   ]";
inline constexpr wchar_t kIniKeyTxt[] = L"[LogTXT]";

// --- Check log -------------------------------------------------------------------
inline constexpr wchar_t kDriveLogSuffix[] = L"ドライブのログ";
inline constexpr wchar_t kExtTxt[] = L".txt";
inline constexpr wchar_t kExtCsv[] = L".csv";
inline constexpr wchar_t kHeaderDrive[] =
    L"年／月／日(曜日),時分,ドライブ,空きサイズ(MB),チェックサイズ(MB),チェック結果";
inline constexpr wchar_t kHeaderDir[] =
    L"年／月／日(曜日),時分,ディレクトリ,使用サイズ(MB),チェックサイズ(MB),チェック結果";
inline constexpr wchar_t kNoTarget[] = L"チェック対象無し";
inline constexpr wchar_t kJudgeNg[] = L"NG";
inline constexpr wchar_t kJudgeOk[] = L"OK";
inline constexpr wchar_t kWeekdays[] = L"日月火水木金土";

// --- Log folder ------------------------------------------------------------------
inline constexpr wchar_t kFolderOpenFailed[] = L"フォルダの表示に失敗しました";
inline constexpr wchar_t kTitleLogFolder[] = L"ログ参照";

// --- Shortcut request ------------------------------------------------------------
inline constexpr wchar_t kTitleSettingError[] = L"設定エラー";
inline constexpr wchar_t kSizeMissing[] = L"警告を出すサイズを設定して下さい";
inline constexpr wchar_t kSizeRange[] = L"設定可能なサイズは、１～９９９ＭＢまでです";
inline constexpr wchar_t kDirInvalid[] = L"ディレクトリ指定が異常です";
inline constexpr wchar_t kShortCutDone[] = L"作成しました";
inline constexpr wchar_t kTitleShortCutDone[] = L"作成成功";
inline constexpr wchar_t kShortCutFailed1[] = L"ｼｮｰﾄｶｯﾄの作成に失敗しました。";
inline constexpr wchar_t kShortCutFailed2[] = L"vb5stkit.dll がありません。";
inline constexpr wchar_t kTitleShortCutFailed[] = L"ｼｮｰﾄｶｯﾄ作成失敗";
inline constexpr wchar_t kLinkNamePrefix[] = L"Velmora ";
inline constexpr wchar_t kAllUsers[] = L"All Users";
inline constexpr wchar_t kArgDisk[] = L"/DISK=";
inline constexpr wchar_t kArgDir[] = L"/DIR=";
inline constexpr wchar_t kArgSize[] = L"/SIZE=";

// --- Shell link placement ----------------------------------------------------------
inline constexpr wchar_t kVb5Toolkit[] = L"vb5stkit.dll";
inline constexpr wchar_t kVb6Toolkit[] = L"vb6stkit.dll";
inline constexpr wchar_t kProgramsMacro[] = L"$(Programs)";

// --- Folder picker ---------------------------------------------------------------
inline constexpr wchar_t kPickDirTitle[] = L"調査するディレクトリを指定して下さい。";

// --- About window ----------------------------------------------------------------
inline constexpr wchar_t kVersionCaptionSuffix[] = L" バージョン情報";
inline constexpr wchar_t kAboutIndent[] = L"　　";
inline constexpr wchar_t kAboutVersionWord[] = L"  　バージョン　";
inline constexpr wchar_t kAboutCopyright[] = L"　　著作権：";
inline constexpr wchar_t kAboutContact[] = L"　　連絡先：";
inline constexpr wchar_t kAboutHomePage[] = L"　　ＨＰ　：";
inline constexpr wchar_t kAboutOk[] = L"OK";
inline constexpr wchar_t kPleaseWait[] = L"もうしばらくお待ち下さい";

// --- Line ends -------------------------------------------------------------------
inline constexpr wchar_t kCrLf[] = L"\r\n";

// --- Shell folders named by a link's destination ------------------------------------
// Relative to the Start menu's Programs folder; the half-width forms are written with
// half-width katakana and their separate voiced-sound marks.
inline constexpr wchar_t kUpToProfiles[] = L"..\\..\\..\\";
inline constexpr wchar_t kUpToStartMenuParent[] = L"..\\..\\";
inline constexpr wchar_t kDesktopHalf[] = L"ﾃﾞｽｸﾄｯﾌﾟ";
inline constexpr wchar_t kStartMenuHalf[] = L"ｽﾀｰﾄ ﾒﾆｭｰ";
inline constexpr wchar_t kProgramsHalf[] = L"ﾌﾟﾛｸﾞﾗﾑ";
inline constexpr wchar_t kStartupHalf[] = L"ｽﾀｰﾄｱｯﾌﾟ";
inline constexpr wchar_t kDesktopFull[] = L"デスクトップ";
inline constexpr wchar_t kStartMenuFull[] = L"スタート メニュー";
inline constexpr wchar_t kProgramsFull[] = L"プログラム";
inline constexpr wchar_t kStartupFull[] = L"スタートアップ";
inline constexpr wchar_t kSendTo[] = L"SendTo";
inline constexpr wchar_t kQuickLaunch[] = L"Application Data\\Microsoft\\Internet Explorer\\Quick Launch";
inline constexpr wchar_t kLinkExt[] = L".lnk";

// --- About window: the author, the contact and homepage addresses ------------------
// The addresses lie in the reserved .example domain: placeholders until the project has
// its own.
inline constexpr wchar_t kAboutAuthor[] = L"Velmora";
inline constexpr wchar_t kAboutContactAddress[] = L"contact@velmora.example";
inline constexpr wchar_t kAboutHomePageUrl[] = L"https://velmora.example/";
inline constexpr wchar_t kAboutNotice[] = L"本ソフトは無保証で提供されます";

}  // namespace velmora::texts
