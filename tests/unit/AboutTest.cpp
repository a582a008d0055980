// The About window's content and the homepage sequence, without any window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/About.h"
#include "app/HomePage.h"

namespace velmora {
namespace {

TEST(AboutText, IsTheProgramsBlockCharacterForCharacter) {
  // Written out here, not assembled from the catalogue, so that a changed piece shows.
  const std::wstring expected =
      L"\r\n"
      L"\u3000\u3000Velmora  \u3000\u30d0\u30fc\u30b8\u30e7\u30f3\u30003.01\r\n"
      L"\r\n"
      L"\u3000\u3000\u8457\u4f5c\u6a29\uff1aVelmora\r\n"
      L"\u3000\u3000\u9023\u7d61\u5148\uff1acontact@velmora.example\r\n"
      L"\u3000\u3000\uff28\uff30\u3000\uff1a\r\n"
      L"\r\n"
      L"\u3000\u3000\u3000\u3000\u3000\u3000\u672c\u30bd\u30d5\u30c8\u306f\u7121\u4fdd\u8a3c\u3067\u63d0\u4f9b"
      L"\u3055\u308c\u307e\u3059\r\n";
  EXPECT_EQ(AboutText(ProgramAbout()), expected);
  EXPECT_EQ(AboutCaption(ProgramAbout().product), L"Velmora \u30d0\u30fc\u30b8\u30e7\u30f3\u60c5\u5831");
  EXPECT_EQ(ProgramAbout().homePage, L"https://velmora.example/");
}

TEST(AboutText, PlacesTheLinkAfterFiveLineBreaksAndSixFullWidthCharacters) {
  // The link label is laid out at 900 twips (five lines of 180) from the top and
  // 1080 twips (six characters of 180) from the left.
  std::wstring text = AboutText(ProgramAbout());
  size_t line6 = 0;
  for (int i = 0; i < 5; ++i) line6 = text.find(L"\r\n", line6) + 2;
  size_t end = text.find(L"\r\n", line6);
  EXPECT_EQ(end - line6, 6u);
  EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
}

TEST(AboutText, PutsTheLinkOnTheSixthLineOfTheFontsOwnLines) {
  // Designed: 1080, 900, 180 twips; at 96 DPI 72, 60, 12 pixels, at 144 DPI 108, 90, 18.
  const LinkPlace at96{72, 60, 12}, at144{108, 90, 18};
  struct Row {
    const char* name;
    LinkPlace designed;
    AboutFontMeasure font;
    LinkPlace expected;
  } rows[] = {
      {"the designed font", at96, {12, 0, 72}, {72, 60, 12}},
      {"a smaller font keeps the designed place", at96, {11, 0, 66}, {72, 60, 12}},
      {"a taller, wider font", at96, {13, 0, 78}, {78, 65, 13}},
      {"external leading is not a line's height", at96, {13, 3, 78}, {78, 65, 13}},
      {"external leading with the designed height", at96, {12, 2, 72}, {72, 60, 12}},
      {"144 DPI", at144, {20, 0, 120}, {120, 100, 20}},
      {"144 DPI with external leading", at144, {18, 4, 108}, {108, 90, 18}},
  };
  for (const Row& row : rows) {
    LinkPlace place = HomePageLinkPlace(row.designed, row.font);
    EXPECT_EQ(place.left, row.expected.left) << row.name;
    EXPECT_EQ(place.top, row.expected.top) << row.name;
    EXPECT_EQ(place.height, row.expected.height) << row.name;
  }
}

TEST(VersionText, FormatsTheMinorNumberWithTwoDigits) {
  struct Row {
    int major, minor;
    const wchar_t* expected;
  } rows[] = {
      {3, 1, L"3.01"},  {3, 0, L"3.00"},  {3, 9, L"3.09"},    {3, 10, L"3.10"},
      {3, 12, L"3.12"}, {3, 99, L"3.99"}, {3, 100, L"3.100"}, {10, 5, L"10.05"},
  };
  for (const Row& row : rows) EXPECT_EQ(VersionText(row.major, row.minor), row.expected) << row.minor;
  EXPECT_EQ(FormatTwoDigits(-1), L"-01");
  EXPECT_EQ(VersionText(VELMORA_VERSION_MAJOR, VELMORA_VERSION_MINOR), L"3.01");

  AboutInfo info = ProgramAbout();
  info.minor = 12;
  EXPECT_NE(AboutText(info).find(L"\u30003.12\r\n"), std::wstring::npos);
}

TEST(LinkColour, FollowsThePointerAndTheClick) {
  // Each row: the event, the colour after it, whether it changed. Colours as the
  // window's text colour takes them (0x00BBGGRR).
  constexpr uint32_t kBlue = 0xFF0000, kCyan = 0xFFFF00;
  enum Event { kLink, kText, kClick };
  struct Row {
    Event event;
    uint32_t colour;
    bool changed;
  } rows[] = {
      {kText, kBlue, false},  // at rest it is blue already
      {kLink, kCyan, true},
      {kLink, kCyan, false},
      {kText, kBlue, true},
      {kLink, kCyan, true},
      {kClick, kBlue, true},
      {kClick, kBlue, false},
      {kLink, kCyan, true},  // leaving the window from here
                             // keeps it cyan: no event
      {kLink, kCyan, false},
  };
  LinkColour link;
  EXPECT_EQ(link.Colour(), kBlue);
  int i = 0;
  for (const Row& row : rows) {
    bool changed = row.event == kLink   ? link.OnLinkMouseMove()
                   : row.event == kText ? link.OnTextMouseMove()
                                        : link.OnLinkClick();
    EXPECT_EQ(link.Colour(), row.colour) << "row " << i;
    EXPECT_EQ(changed, row.changed) << "row " << i;
    ++i;
  }
}

// --- HomePageOpen ---------------------------------------------------------------------

struct FakeScript {
  bool readTimeout = true;
  bool create = true;
  std::string busy;  // per read: B busy, I idle, X the read fails; then idle
};

// A layer whose prompt settings are state, as the real one's: a browser call made while
// they are not the homepage's (a 10-minute timeout, the "please wait" text) is marked.
class FakeLayer : public AutomationLayer {
 public:
  explicit FakeLayer(FakeScript script) : script_(std::move(script)) {}
  std::vector<std::wstring> calls;
  int32_t timeout = 4321;  // what an earlier caller left
  std::wstring text;

  void Call(const std::wstring& call) {
    bool homePage =
        timeout == 600000 && text == L"\u3082\u3046\u3057\u3070\u3089\u304f\u304a\u5f85\u3061\u4e0b\u3055\u3044";
    calls.push_back(homePage ? call : call + L" (without the homepage's prompt settings)");
  }
  bool GetPromptTimeout(int32_t& ms) override {
    if (!script_.readTimeout) return false;
    ms = timeout;
    return true;
  }
  bool SetPromptTimeout(int32_t ms) override {
    timeout = ms;
    return true;
  }
  bool SetPromptText(const std::wstring& newText) override {
    text = newText;
    return true;
  }
  std::unique_ptr<AutomationObject> CreateObject(const std::wstring& progId) override {
    Call(L"Create " + progId);
    if (!script_.create) return nullptr;
    return std::make_unique<Browser>(*this);
  }

 private:
  class Browser : public AutomationObject {
   public:
    explicit Browser(FakeLayer& layer) : layer_(layer) {}
    ~Browser() override { layer_.Call(L"Release"); }
    bool Navigate(const std::wstring& address) override {
      layer_.Call(L"Navigate " + address);
      return true;
    }
    bool GetBusy(bool& busy) override {
      layer_.Call(L"Busy");
      char state = read_ < layer_.script_.busy.size() ? layer_.script_.busy[read_] : 'I';
      ++read_;
      if (state == 'X') return false;
      busy = state == 'B';
      return true;
    }
    bool SetVisible(bool visible) override {
      layer_.Call(visible ? L"Visible" : L"Hidden");
      return true;
    }

   private:
    FakeLayer& layer_;
    size_t read_ = 0;
  };
  FakeScript script_;
};

struct Opened {
  std::vector<std::wstring> calls;
  int32_t timeoutAfter;  // the prompt timeout in force afterwards
};

Opened CallsOf(FakeScript script) {
  FakeLayer layer(std::move(script));
  RunHomePageSequence(
      L"https://velmora.example/", layer, [&](int32_t ms) { layer.Call(L"Sleep " + std::to_wstring(ms)); },
      [&] { layer.Call(L"DoEvents"); });
  return {layer.calls, layer.timeout};
}

std::vector<std::wstring> Join(std::initializer_list<std::vector<std::wstring>> parts) {
  std::vector<std::wstring> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::wstring> Repeat(std::vector<std::wstring> part, int times) {
  std::vector<std::wstring> all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(HomePageOpen, CallsTheBrowserInOrderUnderItsPromptSettingsAndWaitsAtMostTwoSeconds) {
  const std::vector<std::wstring> head = {L"Create InternetExplorer.application", L"Navigate https://velmora.example/"};
  const std::vector<std::wstring> tail = {L"Visible", L"DoEvents", L"Release"};
  const std::vector<std::wstring> poll = {L"Busy", L"Sleep 100"};
  struct Row {
    const char* name;
    FakeScript script;
    std::vector<std::wstring> expected;
    int32_t timeoutAfter;  // the earlier caller's timeout comes back when it could be read
  };
  const std::vector<Row> rows = {
      {"idle at once", {}, Join({head, {L"Busy"}, tail}), 4321},
      {"busy twice", {true, true, "BBI"}, Join({head, Repeat(poll, 2), {L"Busy"}, tail}), 4321},
      {"busy for ever: twenty sleeps", {true, true, std::string(30, 'B')}, Join({head, Repeat(poll, 20), tail}), 4321},
      {"Busy unreadable: sleeps as if busy",
       {true, true, std::string(30, 'X')},
       Join({head, Repeat(poll, 20), tail}),
       4321},
      {"unreadable once, then idle", {true, true, "XI"}, Join({head, poll, {L"Busy"}, tail}), 4321},
      {"no browser object: only the sleeps",
       {true, false, ""},
       Join({{head.begin(), head.end() - 1}, Repeat({L"Sleep 100"}, 20), {L"DoEvents"}}),
       4321},
      {"old timeout unreadable: the homepage's stays", {false, true, ""}, Join({head, {L"Busy"}, tail}), 600000},
  };
  for (const Row& row : rows) {
    Opened opened = CallsOf(row.script);
    EXPECT_EQ(opened.calls, row.expected) << row.name;
    EXPECT_EQ(opened.timeoutAfter, row.timeoutAfter) << row.name;
  }
}

TEST(BrowserLaunch, OpensOnlyWebAddressesAndKnowsTheNewWindowSwitches) {
  struct AddressRow {
    const wchar_t* address;
    bool web;
  } addresses[] = {
      {L"https://velmora.example/", true},  {L"HTTP://velmora.example/a?b=1", true}, {L"https://", false},
      {L"ftp://velmora.example/", false},   {L"C:\\Windows\\notepad.exe", false},    {L"file:///C:/x.html", false},
      {L"https://a.example/\" --x", false}, {L"https://a.example/ b", false},        {L"", false},
  };
  for (const auto& row : addresses) EXPECT_EQ(IsWebAddress(row.address), row.web) << row.address;
  EXPECT_EQ(SchemeOf(L"https://velmora.example/"), L"https");
  EXPECT_EQ(SchemeOf(L"velmora.example"), L"");

  struct BrowserRow {
    const wchar_t* path;
    const wchar_t* windowSwitch;  // nullptr: not known
  } browsers[] = {
      {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", L"--new-window"},
      {L"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\MSEDGE.EXE", L"--new-window"},
      {L"firefox.exe", L"-new-window"},
      {L"C:/Program Files/Mozilla Firefox/firefox.exe", L"-new-window"},
      {L"C:\\Program Files\\Internet Explorer\\iexplore.exe", L""},
      {L"C:\\windows\\system32\\winebrowser.exe", nullptr},
      {L"C:\\Tools\\firefox.exe.bak", nullptr},
      {L"", nullptr},
  };
  for (const auto& row : browsers) {
    auto found = NewWindowSwitch(row.path);
    if (!row.windowSwitch) {
      EXPECT_FALSE(found.has_value()) << row.path;
    } else {
      ASSERT_TRUE(found.has_value()) << row.path;
      EXPECT_EQ(*found, row.windowSwitch) << row.path;
    }
  }
  EXPECT_EQ(NewWindowParameters(L"--new-window", L"https://velmora.example/"),
            L"--new-window \"https://velmora.example/\"");
  EXPECT_EQ(NewWindowParameters(L"", L"https://velmora.example/"), L"\"https://velmora.example/\"");
}

}  // namespace
}  // namespace velmora
