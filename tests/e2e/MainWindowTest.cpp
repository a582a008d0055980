// The main window as a user sees it: its caption, size, layout, texts, page switch and
// drive display, driven from a second process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "Driver.h"
#include "RunningWindow.h"
#include "base/Number.h"
#include "base/Texts.h"
#include "base/Twips.h"
#include "measure/MDriveSpace.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

namespace ids = velmora::ui::ids;

class MainWindow : public RunningWindow {
 protected:
  HWND Ctl(int id) const {
    HWND control = Control(main_, id);
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
  }
  int Px(int twips) const { return TwipsToPixels(twips, Dpi()); }
  COLORREF PixelAtCentre(HWND control) const {
    RECT rc;
    GetWindowRect(control, &rc);
    HDC screen = GetDC(nullptr);
    // A little left of the centre, clear of the caption's letters.
    COLORREF c = GetPixel(screen, rc.left + 4, (rc.top + rc.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return c;
  }
};

TEST_F(MainWindow, OpensCentredWithItsDesignedSize) {
  EXPECT_EQ(Text(main_), L"Velmora  ドライブ空き容量確認");
  RECT window, client;
  GetWindowRect(main_, &window);
  GetClientRect(main_, &client);
  EXPECT_NEAR(window.right - window.left, Px(6120), 1);
  EXPECT_NEAR(client.bottom, Px(6975), 1);
  int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(window.left, (screenW - (window.right - window.left)) / 2, 1);
  EXPECT_NEAR(window.top, (screenH - (window.bottom - window.top)) / 2, 1);
}

TEST_F(MainWindow, ControlsSitAtTheirTwipsPositions) {
  // Left, top, width, height in twips, relative to the client area (containers added up).
  struct Row {
    int id, left, top, width, height;
  } rows[] = {
      {ids::kCmdTab0, 120, 120, 2775, 375},
      {ids::kCmdTab1, 3120, 120, 2775, 375},
      {ids::kFraMain0, 120, 720, 5775, 5415},
      {ids::kFraMain1, 120, 720, 5775, 5415},  // moved onto the drive page
      {ids::kLabel1_0, 120 + 240, 720 + 360, 5280, 435},
      {ids::kLblAki, 120 + 240 + 3720, 720 + 960 + 400, 1455, 300},
      {ids::kTxtSize0, 120 + 240 + 240, 720 + 2280 + 360, 735, 300},
      {ids::kLblData0, 120 + 240 + 1080, 720 + 2280 + 405, 4140, 195},
      {ids::kCmdShortCut0, 120 + 240 + 240, 720 + 3240 + 360, 4815, 375},
      {ids::kLabel2_0 + 2, 120 + 240 + 240, 720 + 3240 + 1200, 5010, 195},
      {ids::kTxtDir, 120 + 240 + 240, 720 + 960 + 360, 4695, 285},
      {ids::kCmdPath, 120 + 240 + 4920, 720 + 960 + 360, 255, 255},
      {ids::kLblSiyou, 120 + 240 + 3690, 720 + 960 + 720, 1455, 300},
      {ids::kLabel2_0 + 3, 120 + 240 + 240, 720 + 3240 + 1560, 4485, 195},
      {ids::kChkLog0, 120, 6360, 2775, 255},
      {ids::kChkLog1, 120, 6360 + 240, 2775, 255},
      {ids::kCmdRogu, 3720, 6360, 1215, 495},
      {ids::kCmdEnd, 5160, 6360, 735, 495},
  };
  for (const Row& row : rows) {
    RECT rc = ClientRectOf(main_, Ctl(row.id));
    EXPECT_NEAR(rc.left, Px(row.left), 1) << "control " << row.id;
    EXPECT_NEAR(rc.top, Px(row.top), 1) << "control " << row.id;
    EXPECT_NEAR(rc.right - rc.left, Px(row.width), 1) << "control " << row.id;
    EXPECT_NEAR(rc.bottom - rc.top, Px(row.height), 1) << "control " << row.id;
  }
}

TEST_F(MainWindow, ShowsItsCaptionsAndDefaults) {
  struct Row {
    int id;
    const wchar_t* text;
  } rows[] = {
      {ids::kCmdTab0, L"ドライブチェック"},
      {ids::kCmdTab1, L"ディレクトリチェック"},
      {ids::kFraMain0, L"1.ドライブの空きサイズのチェック"},
      {ids::kFraMain1, L"2.ディレクトリの使用サイズのチェック"},
      {ids::kLabel1_0, L"ドライブの空きサイズが、指定サイズより小さくなった場合に警告する"},
      {ids::kLabel1_1, L"ディレクトリの使用サイズが、指定サイズより大きくなった場合に警告する"},
      {ids::kLbl1, L"空きサイズ"},
      {ids::kLabel4, L"使用サイズ"},
      {ids::kLblSiyou, L"-------"},
      {ids::kCmdSiyou, L"現在の使用量チェック"},
      {ids::kCmdPath, L"..."},
      {ids::kTxtSize0, L"100"},
      {ids::kTxtSize1, L"100"},
      {ids::kLblData0, L"MB　　　MB単位で４桁まで設定できます"},
      {ids::kCmdShortCut0, L"調査用ショートカットをスタートアップに作成"},
      {ids::kCmdShortCut1, L"調査用ショートカットをスタートアップに作成"},
      {ids::kLabel2_0 + 0, L"＊ドライブ単位に複数作成することもできます"},
      {ids::kLabel2_0 + 1, L"＊起動したときに自動的に空きサイズを調査して、"},
      {ids::kLabel2_0 + 2, L"　指定したサイズより小さければ警告を出します"},
      {ids::kLabel2_0 + 3, L"＊ディレクトリ単位に複数作成することもできます"},
      {ids::kLabel2_0 + 4, L"＊起動したときに自動的に使用サイズを調査して、"},
      {ids::kLabel2_0 + 5, L"　指定したサイズより大きければ警告を出します"},
      {ids::kChkLog0, L"CSV形式でログを残す"},
      {ids::kChkLog1, L"TXT形式でログを残す"},
      {ids::kCmdRogu, L"ログ参照"},
      {ids::kCmdEnd, L"終了"},
  };
  for (const Row& row : rows) EXPECT_EQ(Text(Ctl(row.id)), row.text) << "control " << row.id;

  // Menus of another process cannot be read under Wine; the bar is there when the
  // client area starts a caption and a menu row below the window's top.
  EXPECT_NE(GetMenu(main_), nullptr);
  RECT window{}, client{};
  GetWindowRect(main_, &window);
  GetClientRect(main_, &client);
  POINT origin{0, 0};
  ClientToScreen(main_, &origin);
  EXPECT_GE(origin.y - window.top, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) - 2);
  EXPECT_EQ(SendMessageW(Ctl(ids::kTxtSize0), EM_GETLIMITTEXT, 0, 0), 4);
}

TEST_F(MainWindow, TabsSwitchPagesAndKeepWhatWasTyped) {
  HWND tab0 = Ctl(ids::kCmdTab0), tab1 = Ctl(ids::kCmdTab1);
  HWND page0 = Ctl(ids::kFraMain0), page1 = Ctl(ids::kFraMain1);
  EXPECT_TRUE(IsWindowVisible(page0));
  EXPECT_FALSE(IsWindowVisible(page1));
  EXPECT_FALSE(IsWindowEnabled(tab0));
  EXPECT_TRUE(IsWindowEnabled(tab1));
  EXPECT_EQ(PixelAtCentre(tab0), RGB(0, 0, 255));
  EXPECT_EQ(PixelAtCentre(tab1), RGB(192, 192, 192));

  SetText(Ctl(ids::kTxtSize0), L"250");
  Click(tab1);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(page1) && !IsWindowVisible(page0); })) << "page 1 not shown";
  EXPECT_TRUE(IsWindowEnabled(tab0));
  EXPECT_FALSE(IsWindowEnabled(tab1));
  EXPECT_TRUE(Eventually([&] { return PixelAtCentre(tab1) == RGB(0, 0, 255); })) << "tab 1 not drawn selected";
  EXPECT_EQ(PixelAtCentre(tab0), RGB(192, 192, 192));
  SetText(Ctl(ids::kTxtDir), L"C:\\Data");

  Click(tab0);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(page0) && !IsWindowVisible(page1); })) << "page 0 not shown";
  EXPECT_EQ(Text(Ctl(ids::kTxtSize0)), L"250");
  EXPECT_EQ(Text(Ctl(ids::kTxtDir)), L"C:\\Data");
}

TEST_F(MainWindow, ShowsTheFreeSpaceOfTheChosenDrive) {
  HWND drives = Ctl(ids::kDrive1);
  int count = static_cast<int>(SendMessageW(drives, CB_GETCOUNT, 0, 0));
  int entryC = -1;
  for (int i = 0; i < count; ++i) {
    wchar_t entry[300] = L"";
    SendMessageW(drives, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
    EXPECT_TRUE(iswalpha(entry[0])) << "entry " << i << " begins with its drive letter";
    if (entry[0] == L'c') entryC = i;
  }
  ASSERT_GE(entryC, 0) << "drive c is listed";
  SelectComboEntry(drives, entryC);
  float free = 0;
  ASSERT_TRUE(DriveSpaceChk(1, L"C:\\", free));
  std::wstring shown = Text(Ctl(ids::kLblAki));
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 2), L"MB");
  // Free space moves while the tests run: compare within a megabyte.
  std::wstring digits;
  for (wchar_t c : shown.substr(0, shown.size() - 2))
    if (c != L',') digits += c;
  EXPECT_NEAR(std::wcstod(digits.c_str(), nullptr), free, 1.0) << "shown " << shown;
}

// Tab and Shift+Tab walk the visible page in the window's focus order; the selected
// tab button is disabled and the other page's controls are out of reach.
TEST_F(MainWindow, KeyboardFocusFollowsTheDesignedOrder) {
  ASSERT_TRUE(Activate(main_)) << "the main window did not come to the front";
  struct Page {
    int tab;
    std::vector<int> order;
  } pages[] = {
      {ids::kCmdTab0,
       {ids::kCmdTab1, ids::kDrive1, ids::kTxtSize0, ids::kCmdShortCut0, ids::kChkLog0, ids::kChkLog1, ids::kCmdRogu,
        ids::kCmdEnd}},
      {ids::kCmdTab1,
       {ids::kCmdTab0, ids::kTxtDir, ids::kCmdPath, ids::kCmdSiyou, ids::kTxtSize1, ids::kCmdShortCut1, ids::kChkLog0,
        ids::kChkLog1, ids::kCmdRogu, ids::kCmdEnd}},
  };
  for (const Page& page : pages) {
    Click(Ctl(page.tab));
    ASSERT_TRUE(Eventually([&] { return !IsWindowEnabled(Ctl(page.tab)); })) << "page " << page.tab << " not shown";
    // Start from the last control, so that one Tab reaches the first.
    HWND last = Ctl(page.order.back());
    for (int i = 0; i < 30 && FocusedControl(main_) != last; ++i) {
      PressKey(VK_TAB);
      Sleep(30);
    }
    ASSERT_EQ(FocusedControl(main_), last) << "page " << page.tab;
    for (int id : page.order) {
      PressKey(VK_TAB);
      Eventually([&] { return FocusedControl(main_) == Ctl(id); }, 2000);
      EXPECT_EQ(FocusedControl(main_), Ctl(id)) << "Tab to control " << id << " on page " << page.tab;
      if (id == ids::kTxtSize0 || id == ids::kTxtSize1) {
        DWORD start = 0xdead, end = 0xdead;
        SendMessageW(Ctl(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 3u) << "the whole threshold is selected";
      }
    }
    for (size_t i = page.order.size() - 1; i-- > 0;) {
      PressKey(VK_TAB, true);
      Eventually([&] { return FocusedControl(main_) == Ctl(page.order[i]); }, 2000);
      EXPECT_EQ(FocusedControl(main_), Ctl(page.order[i])) << "Shift+Tab to control " << page.order[i];
    }
  }
}

}  // namespace
}  // namespace velmora::e2e
