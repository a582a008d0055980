// What the uninstaller says, in one place.
#pragma once

namespace velmora::uninstall::texts {

inline constexpr wchar_t kCaptionSuffix[] = L" アンインストール";  // after "Velmora 3.01"
inline constexpr wchar_t kQuestion[] = L"Velmora をアンインストールしますか？";
inline constexpr wchar_t kWhat[] = L"次のフォルダから Velmora を削除します。";
inline constexpr wchar_t kAlso[] =
    L"スタートメニューの「Velmora」と、このフォルダの Velmora を起動するスタートアップのショートカットも削除します。";
inline constexpr wchar_t kDeleteData[] = L"設定ファイル（Velmora.ini）とログも削除する";
inline constexpr wchar_t kUninstallButton[] = L"アンインストール(&U)";
inline constexpr wchar_t kCancelButton[] = L"キャンセル";

inline constexpr wchar_t kAlreadyRunning[] =
    L"Velmora のセットアップかアンインストールが、すでに実行中です。それが終わってから、もう一度実行してください。";
inline constexpr wchar_t kNotInstalled[] =
    L"このフォルダには Velmora がインストールされていません。何も削除しませんでした。\r\n\r\n%FOLDER%";
inline constexpr wchar_t kInUse[] =
    L"Velmora が実行中です（自動チェックの最中かもしれません）。\r\n\r\n%FOLDER%\r\n使用中のファイル: %FILE%\r\n\r\n"
    L"Velmora を終了してから［再試行］を押してください。［キャンセル］を押すと、何も削除せずに終了します。";

inline constexpr wchar_t kDone[] = L"Velmora をアンインストールしました。";
inline constexpr wchar_t kDataKept[] =
    L"設定ファイル（Velmora.ini）とログは、次のフォルダに残してあります。\r\n%FOLDER%";

// Failures: a headline, then the things named one per line.
inline constexpr wchar_t kNothingChanged[] = L"Velmora をアンインストールできませんでした。何も削除していません。";
inline constexpr wchar_t kNotRestored[] =
    L"Velmora のファイルを削除できず、元に戻すこともできませんでした。"
    L"もう一度アンインストールすると、元に戻してからやり直します。";
inline constexpr wchar_t kStillRunning[] =
    L"Velmora が実行中のため、アンインストールを中止しました。何も削除していません。使用中のファイル:";
inline constexpr wchar_t kUnfinishedRun[] =
    L"前回のセットアップかアンインストールが途中で終わったフォルダを、元の状態に戻せませんでした。";
inline constexpr wchar_t kLinksLeft[] =
    L"次のショートカットを削除できませんでした。Velmora は削除せずに元に戻しました。"
    L"ショートカットを削除してから、もう一度アンインストールしてください。";
inline constexpr wchar_t kLinksLeftNotRestored[] =
    L"次のショートカットを削除できず、Velmora のファイルも元に戻せませんでした。"
    L"ショートカットを削除してから、もう一度アンインストールしてください。";
inline constexpr wchar_t kProgramLeft[] =
    L"プログラムのファイルの一部を削除できませんでした。もう一度アンインストールすると、残りを削除します。";
inline constexpr wchar_t kDataLeft[] = L"Velmora は削除しましたが、次のファイルを削除できませんでした。";
inline constexpr wchar_t kEntryLeft[] =
    L"Velmora は削除しましたが、「設定」の「アプリ」（「プログラムと機能」）の登録を削除できませんでした。";

// A silent uninstall that could not remove something says what in this file in the
// temporary folder (UTF-8).
inline constexpr wchar_t kReportName[] = L"Velmora-uninstall.txt";

}  // namespace velmora::uninstall::texts
