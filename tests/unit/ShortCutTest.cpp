// The start-up shortcut's decisions: the destination table, the order of the toolkit
// attempts, the request's checks and composed link, and how the link's arguments read
// back as an automatic check.
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "app/MCommandGet.h"
#include "base/Number.h"
#include "base/Text.h"
#include "shortcut/LinkDestination.h"
#include "shortcut/MShortCut.h"
#include "shortcut/ShortCutRequest.h"

namespace velmora {
namespace {

// Half-width katakana spelled out, voiced-sound marks (U+FF9E, U+FF9F) as separate
// characters.
const std::wstring kDesktopH = L"\uFF83\uFF9E\uFF7D\uFF78\uFF84\uFF6F\uFF8C\uFF9F";
const std::wstring kStartMenuH = L"\uFF7D\uFF80\uFF70\uFF84 \uFF92\uFF86\uFF6D\uFF70";
const std::wstring kProgramsH = L"\uFF8C\uFF9F\uFF9B\uFF78\uFF9E\uFF97\uFF91";
const std::wstring kStartupH = L"\uFF7D\uFF80\uFF70\uFF84\uFF71\uFF6F\uFF8C\uFF9F";
const std::wstring kQuick = L"Application Data\\Microsoft\\Internet Explorer\\Quick Launch";

TEST(DestinationTable, NtEntriesInsertTheUserUnchanged) {
  const std::wstring p = L"..\\..\\..\\user1\\";
  const std::wstring expected[11] = {
      L"",
      p + kDesktopH,
      p + kStartMenuH + L"\\" + kProgramsH,
      p + kStartMenuH + L"\\" + kProgramsH + L"\\" + kStartupH,
      L"..\\..\\SendTo",
      p + kQuick,
      p + L"デスクトップ",
      p + L"スタート メニュー\\プログラム",
      p + L"スタート メニュー\\プログラム\\スタートアップ",
      L"..\\..\\SendTo",
      p + kQuick,
  };
  DestinationTable table = DestinationTableFor(kPlatformNT, L"user1");
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(table[k], expected[k]) << "entry " << k;
  // A user name that could not be read leaves two backslashes in a row.
  EXPECT_EQ(DestinationTableFor(kPlatformNT, L"")[3],
            L"..\\..\\..\\\\" + kStartMenuH + L"\\" + kProgramsH + L"\\" + kStartupH);
}

TEST(DestinationTable, OtherFamiliesIgnoreTheUserAndRepeatTheFirstForms) {
  const std::wstring expected[6] = {
      L"",
      L"..\\..\\" + kDesktopH,
      L"..\\..\\" + kStartMenuH + L"\\" + kProgramsH,
      L"..\\..\\" + kStartMenuH + L"\\" + kProgramsH + L"\\" + kStartupH,
      L"..\\..\\SendTo",
      L"..\\..\\" + kQuick,
  };
  for (int16_t platform : {kPlatform9x, kPlatformUnknown, int16_t{0}, int16_t{3}}) {
    for (const wchar_t* user : {L"user1", L"All Users", L""}) {
      DestinationTable table = DestinationTableFor(platform, user);
      for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(table[k], expected[k]) << "platform " << platform << " entry " << k;
        EXPECT_EQ(table[k + 5], expected[k]) << "platform " << platform << " entry " << k + 5;
      }
    }
  }
}

// Records every request ShortCutCreate makes, and answers from a script.
class FakeToolkit : public LinkToolkit {
 public:
  int16_t platform = kPlatformNT;
  std::set<std::wstring> libraries;
  std::deque<int32_t> results;  // one per fCreateShellLink call; 0 when used up
  std::vector<std::wstring> calls;

  int16_t Platform() override {
    calls.push_back(L"WinVerGet");
    return platform;
  }
  bool HasLibrary(const std::wstring& library) override {
    calls.push_back(L"DllChk " + library);
    return libraries.count(library) > 0;
  }
  int32_t CallVb5(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                  const std::wstring& arguments) override {
    calls.push_back(L"vb5|" + folder + L"|" + name + L"|" + target + L"|" + arguments);
    return Next();
  }
  int32_t CallVb6(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                  const std::wstring& arguments, int32_t flag, const std::wstring& parent) override {
    calls.push_back(L"vb6|" + folder + L"|" + name + L"|" + target + L"|" + arguments + L"|" + std::to_wstring(flag) +
                    L"|" + parent);
    return Next();
  }

 private:
  int32_t Next() {
    if (results.empty()) return 0;
    int32_t r = results.front();
    results.pop_front();
    return r;
  }
};

const std::wstring kHalfStartup = kStartMenuH + L"\\" + kProgramsH + L"\\" + kStartupH;
const std::wstring kFullStartup = L"スタート メニュー\\プログラム\\スタートアップ";
const std::wstring kLinkTail = L"|Velmora C|C:\\Tools\\Velmora.exe|/DISK=C /SIZE=100";

TEST(ShortCutCreate, AttemptsInOrderUntilTheToolkitReportsOne) {
  const std::wstring u1Half = L"vb5|..\\..\\..\\user1\\" + kHalfStartup + kLinkTail;
  const std::wstring u1Full = L"vb5|..\\..\\..\\user1\\" + kFullStartup + kLinkTail;
  const std::wstring v6Half = L"vb6|..\\..\\..\\user1\\" + kHalfStartup + kLinkTail + L"|-1|$(Programs)";
  const std::wstring v6Full = L"vb6|..\\..\\..\\user1\\" + kFullStartup + kLinkTail + L"|-1|$(Programs)";
  const std::wstring nine = L"..\\..\\" + kHalfStartup + kLinkTail;
  const std::wstring win = L"WinVerGet", has5 = L"DllChk vb5stkit.dll", has6 = L"DllChk vb6stkit.dll";
  struct Row {
    const char* what;
    int16_t platform;
    std::set<std::wstring> libraries;
    std::deque<int32_t> results;
    bool placed;
    std::vector<std::wstring> calls;
  } rows[] = {
      {"vb5 first attempt", kPlatformNT, {L"vb5stkit.dll"}, {1}, true, {win, has5, u1Half}},
      {"vb5 second attempt", kPlatformNT, {L"vb5stkit.dll"}, {0, 1}, true, {win, has5, u1Half, u1Full}},
      {"vb5 fails twice, vb6 never tried",
       kPlatformNT,
       {L"vb5stkit.dll", L"vb6stkit.dll"},
       {0, 2},
       false,
       {win, has5, u1Half, u1Full}},
      {"only 1 counts, not -1", kPlatformNT, {L"vb5stkit.dll"}, {-1, -1}, false, {win, has5, u1Half, u1Full}},
      {"vb6 first attempt", kPlatformNT, {L"vb6stkit.dll"}, {1}, true, {win, has5, has6, v6Half}},
      {"vb6 second attempt", kPlatformNT, {L"vb6stkit.dll"}, {0, 1}, true, {win, has5, has6, v6Half, v6Full}},
      {"vb6 fails twice", kPlatformNT, {L"vb6stkit.dll"}, {0, 0}, false, {win, has5, has6, v6Half, v6Full}},
      {"no toolkit", kPlatformNT, {}, {1}, false, {win, has5, has6}},
      {"9x family: both attempts address one folder",
       kPlatform9x,
       {L"vb5stkit.dll"},
       {0, 0},
       false,
       {win, has5, L"vb5|" + nine, L"vb5|" + nine}},
      {"failed version query",
       kPlatformUnknown,
       {L"vb5stkit.dll"},
       {0, 1},
       true,
       {win, has5, L"vb5|" + nine, L"vb5|" + nine}},
  };
  for (const Row& row : rows) {
    FakeToolkit toolkit;
    toolkit.platform = row.platform;
    toolkit.libraries = row.libraries;
    toolkit.results = row.results;
    bool placed =
        ShortCutCreate(kStartupKind, L"Velmora C", L"C:\\Tools\\Velmora.exe", L"/DISK=C /SIZE=100", L"user1", toolkit);
    EXPECT_EQ(placed, row.placed) << row.what;
    EXPECT_EQ(toolkit.calls, row.calls) << row.what;
  }
}

TEST(ShortCutCreate, KindOutsideOneToFiveCallsNothing) {
  for (int16_t kind : {int16_t{0}, int16_t{6}, int16_t{-1}, int16_t{32767}}) {
    FakeToolkit toolkit;
    toolkit.libraries = {L"vb5stkit.dll", L"vb6stkit.dll"};
    toolkit.results = {1, 1};
    EXPECT_FALSE(ShortCutCreate(kind, L"n", L"t", L"a", L"user1", toolkit)) << kind;
    EXPECT_TRUE(toolkit.calls.empty()) << kind;
  }
}

TEST(StartupShortCutCreate, TriesTheUserThenAllUsers) {
  const std::wstring user = L"vb5|..\\..\\..\\taro\\", all = L"vb5|..\\..\\..\\All Users\\";
  struct Row {
    std::deque<int32_t> results;
    bool placed;
    std::vector<std::wstring> folders;
  } rows[] = {
      {{1}, true, {user + kHalfStartup}},
      {{0, 1}, true, {user + kHalfStartup, user + kFullStartup}},
      {{0, 0, 1}, true, {user + kHalfStartup, user + kFullStartup, all + kHalfStartup}},
      {{0, 0, 0, 1}, true, {user + kHalfStartup, user + kFullStartup, all + kHalfStartup, all + kFullStartup}},
      {{0, 0, 0, 0}, false, {user + kHalfStartup, user + kFullStartup, all + kHalfStartup, all + kFullStartup}},
  };
  for (const Row& row : rows) {
    FakeToolkit toolkit;
    toolkit.libraries = {L"vb5stkit.dll"};
    toolkit.results = row.results;
    auto create = [&](int16_t kind, const std::wstring& n, const std::wstring& t, const std::wstring& a,
                      const std::wstring& u) { return ShortCutCreate(kind, n, t, a, u, toolkit); };
    LinkSpec link = DriveLinkSpec(L"c", L"100", L"C:\\Tools");
    EXPECT_EQ(StartupShortCutCreate(link, L"taro", create), row.placed);
    std::vector<std::wstring> links;
    for (const std::wstring& call : toolkit.calls)
      if (call.rfind(L"vb5|", 0) == 0) links.push_back(call.substr(0, call.size() - kLinkTail.size()));
    EXPECT_EQ(links, row.folders) << row.results.size() << " results";
  }
}

TEST(CheckSizeText, AcceptsEveryLeadingNumberAboveZero) {
  struct Row {
    const wchar_t* text;
    SizeTextCheck expected;
  } rows[] = {
      {L"100", SizeTextCheck::kAccepted},     {L" 100", SizeTextCheck::kAccepted},
      {L"5000", SizeTextCheck::kAccepted},    {L"9999", SizeTextCheck::kAccepted},
      {L"1.5", SizeTextCheck::kAccepted},     {L"0.1", SizeTextCheck::kAccepted},
      {L"&H10", SizeTextCheck::kAccepted},    {L"12ab", SizeTextCheck::kAccepted},
      {L"", SizeTextCheck::kEmpty},           {L"0", SizeTextCheck::kNotPositive},
      {L"-5", SizeTextCheck::kNotPositive},   {L"abc", SizeTextCheck::kNotPositive},
      {L" ", SizeTextCheck::kNotPositive},    {L"0.0", SizeTextCheck::kNotPositive},
      {L"-0", SizeTextCheck::kNotPositive},   {L".", SizeTextCheck::kNotPositive},
      {L"9E99", SizeTextCheck::kNotPositive}, {L"1E39", SizeTextCheck::kNotPositive},
      {L"1D39", SizeTextCheck::kNotPositive}, {L"3E38", SizeTextCheck::kAccepted},
  };
  for (const Row& row : rows) EXPECT_EQ(CheckSizeText(row.text), row.expected) << "\"" << row.text << "\"";
}

TEST(LinkSpec, ComposesNameTargetAndArgumentsAsTyped) {
  struct Row {
    LinkSpec link;
    const wchar_t* name;
    const wchar_t* target;
    const wchar_t* arguments;
  } rows[] = {
      {DriveLinkSpec(L"c", L"100", L"C:\\Tools"), L"Velmora C", L"C:\\Tools\\Velmora.exe", L"/DISK=C /SIZE=100"},
      {DriveLinkSpec(L"D", L" 100", L"C:\\My Tools"), L"Velmora D", L"C:\\My Tools\\Velmora.exe",
       L"/DISK=D /SIZE= 100"},
      {DriveLinkSpec(L"z", L"5000", L"C:\\"), L"Velmora Z", L"C:\\Velmora.exe", L"/DISK=Z /SIZE=5000"},
      {DirLinkSpec(L"My Data", L"C:\\My Data", L"250", L"C:\\Tools"), L"Velmora My Data", L"C:\\Tools\\Velmora.exe",
       L"/DIR=C:\\My Data /SIZE=250"},
      {DirLinkSpec(L"Temp", L"d:\\temp", L"1.5", L"C:\\Tools"), L"Velmora Temp", L"C:\\Tools\\Velmora.exe",
       L"/DIR=d:\\temp /SIZE=1.5"},
      {DirLinkSpec(L"Data", L"C:/Data", L"5", L"C:\\Tools"), L"Velmora Data", L"C:\\Tools\\Velmora.exe",
       L"/DIR=C:\\Data /SIZE=5"},
      {DirLinkSpec(L"資料 2", L"C:\\資料 2 ", L"10", L"C:\\ツール"), L"Velmora 資料 2", L"C:\\ツール\\Velmora.exe",
       L"/DIR=C:\\資料 2  /SIZE=10"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.link.name, row.name);
    EXPECT_EQ(row.link.target, row.target);
    EXPECT_EQ(row.link.arguments, row.arguments);
  }
}

// The link starts the program in the program folder, so a relative directory is looked
// up from there, as the automatic run will resolve it at log-on.
TEST(LinkSpec, RelativeDirectoriesAreLookedUpFromTheProgramFolder) {
  struct Row {
    const wchar_t *typed, *folder, *lookedUp;
  } rows[] = {
      {L"Data", L"C:\\Tools", L"C:\\Tools\\Data"},
      {L" Data ", L"C:\\Tools", L"C:\\Tools\\Data"},
      {L"..\\Data", L"C:\\Tools", L"C:\\Tools\\..\\Data"},
      {L".\\a/b", L"C:\\Tools", L"C:\\Tools\\.\\a\\b"},
      {L"Data", L"C:\\", L"C:\\Data"},
      {L"\\Data", L"C:\\Tools", L"C:\\Data"},
      {L"\\Data", L"\\\\srv\\share\\Tools", L"\\\\srv\\share\\Data"},
      {L"c:Data", L"C:\\Tools", L"C:\\Tools\\Data"},
      {L"D:Data", L"C:\\Tools", L"D:\\Data"},
      {L"C:\\Data", L"C:\\Tools", L"C:\\Data"},
      {L"C:/Data", L"C:\\Tools", L"C:/Data"},
      {L"\\\\srv\\share\\x", L"C:\\Tools", L"\\\\srv\\share\\x"},
      {L"\\\\?\\C:\\x", L"C:\\Tools", L"\\\\?\\C:\\x"},
      {L"", L"C:\\Tools", L""},
      {L"  ", L"C:\\Tools", L"  "},
  };
  for (const Row& row : rows) EXPECT_EQ(RunDirectoryPath(row.typed, row.folder), row.lookedUp) << row.typed;
}

// What the start-up link makes of its arguments: the shell starts the target with them,
// and the start-up code reads the three keys back.
TEST(LinkSpec, ArgumentsReadBackAsTheIntendedCheck) {
  struct Row {
    LinkSpec link;
    const wchar_t* disk;
    const wchar_t* dir;
    float size;
  } rows[] = {
      {DriveLinkSpec(L"c", L"100", L"C:\\Tools"), L"C", L"", 100},
      {DriveLinkSpec(L"c", L" 100", L"C:\\Tools"), L"C", L"", 100},
      {DriveLinkSpec(L"e", L"1.5", L"C:\\Tools"), L"E", L"", 1.5f},
      {DirLinkSpec(L"My Data", L"C:\\My Data", L"250", L"C:\\Tools"), L"", L"C:\\My Data", 250},
      {DirLinkSpec(L"x y", L"C:\\a b\\x y ", L"5000", L"C:\\Tools"), L"", L"C:\\a b\\x y", 5000},
      {DirLinkSpec(L"Data", L"C:/Data", L"5", L"C:\\Tools"), L"", L"C:\\Data", 5},
      {DirLinkSpec(L"資料", L"C:\\資料", L"&H10", L"C:\\Tools"), L"", L"C:\\資料", 16},
  };
  for (const Row& row : rows) {
    std::wstring commandLine = L"\"" + row.link.target + L"\" " + row.link.arguments;
    std::wstring args = ArgumentText(commandLine);
    EXPECT_EQ(args, row.link.arguments);
    EXPECT_EQ(TrimSpaces(CommandGet(args, L"/DISK=")), row.disk) << args;
    EXPECT_EQ(TrimSpaces(CommandGet(args, L"/DIR=")), row.dir) << args;
    EXPECT_EQ(static_cast<float>(LeadingNumber(CommandGet(args, L"/SIZE="))), row.size) << args;
  }
}

TEST(RecognizeDestination, ReadsEveryTableEntryBack) {
  const ShellFolder folders[6] = {ShellFolder::kDesktop, ShellFolder::kDesktop, ShellFolder::kPrograms,
                                  ShellFolder::kStartup, ShellFolder::kSendTo,  ShellFolder::kQuickLaunch};
  for (int16_t platform : {kPlatformNT, kPlatform9x}) {
    for (const wchar_t* user : {L"root", L"ROOT", L"All Users", L"all users", L"someone", L""}) {
      std::wstring upper = ToUpperAscii(user);
      std::optional<Profile> profile;
      if (upper == L"ROOT") profile = Profile::kCurrentUser;
      if (upper == L"ALL USERS") profile = Profile::kAllUsers;
      DestinationTable table = DestinationTableFor(platform, user);
      for (int k = 1; k <= 10; ++k) {
        int kind = k > 5 ? k - 5 : k;
        std::optional<WellKnownDestination> expected;
        // The Send To entry and every entry of the 9x table name the current user.
        if (kind == kSendToKind || platform != kPlatformNT)
          expected = WellKnownDestination{folders[kind], Profile::kCurrentUser};
        else if (profile)
          expected = WellKnownDestination{folders[kind], *profile};
        EXPECT_EQ(RecognizeDestination(table[k], L"root"), expected)
            << "platform " << platform << " user " << testing::PrintToString(std::wstring(user)) << " entry " << k;
      }
    }
  }
}

TEST(RecognizeDestination, RefusesWhatNamesNoWellKnownFolder) {
  const WellKnownDestination startup{ShellFolder::kStartup, Profile::kCurrentUser};
  struct Row {
    std::wstring destination;
    std::optional<WellKnownDestination> expected;
  } rows[] = {
      {L"..\\..\\..\\root\\スタート メニュー\\ﾌﾟﾛｸﾞﾗﾑ\\スタートアップ", startup},  // forms mixed
      {L"../../../root/ｽﾀｰﾄ ﾒﾆｭｰ/ﾌﾟﾛｸﾞﾗﾑ/ｽﾀｰﾄｱｯﾌﾟ\\", startup},
      {L"..\\..\\sendto", WellKnownDestination{ShellFolder::kSendTo, Profile::kCurrentUser}},
      {L"..\\..\\..\\root\\SendTo", WellKnownDestination{ShellFolder::kSendTo, Profile::kCurrentUser}},
      {L"..\\..\\..\\ｒｏｏｔ\\デスクトップ", std::nullopt},  // another name, not another width
      {L"..\\..\\..\\..\\root\\デスクトップ", std::nullopt},
      {L"..\\..\\..\\root\\スタート メニュー\\プログラム\\スタートアップ\\Sub", std::nullopt},
      {L"..\\..\\..\\root\\スタートメニュー\\プログラム", std::nullopt},
      {L"..\\..\\..\\root", std::nullopt},
      {L"..\\デスクトップ", std::nullopt},
      {L"..\\..\\..\\All Users\\..\\root\\デスクトップ", std::nullopt},
      {L"MyGroup", std::nullopt},
      {L"", std::nullopt},
      {L"C:\\Users\\root\\Desktop", std::nullopt},
  };
  for (const Row& row : rows)
    EXPECT_EQ(RecognizeDestination(row.destination, L"root"), row.expected) << testing::PrintToString(row.destination);
  // A user name that could not be read matches no profile.
  EXPECT_EQ(RecognizeDestination(L"..\\..\\..\\\\デスクトップ", L""), std::nullopt);
}

TEST(IsLinkFileName, RefusesNamesThatLeaveTheFolder) {
  for (const wchar_t* good : {L"Velmora C", L"Velmora My Data", L"Velmora 資料", L"Velmora .hidden"})
    EXPECT_TRUE(IsLinkFileName(good)) << good;
  for (const wchar_t* bad : {L"", L".", L"..", L"..\\x", L"a/b", L"C:x", L"a*", L"a?", L"a\"b", L"a<b", L"a>b", L"a|b",
                             L"a\tb", L"CON", L"nul"})
    EXPECT_FALSE(IsLinkFileName(bad)) << bad;
}

}  // namespace
}  // namespace velmora
