// Shell link placement against the real system: the project's vb6stkit.dll writing and
// refusing links, the toolkit libraries found on the search path (a recording stand-in
// for vb5stkit.dll proves the older form is preferred), and the small system wrappers.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "EnvScope.h"
#include "ShellLinks.h"
#include "TempDir.h"
#include "TestLocks.h"
#include "base/Codepage.h"
#include "base/Texts.h"
#include "shortcut/MDllChk.h"
#include "shortcut/MShortCut.h"
#include "shortcut/MUserName.h"
#include "shortcut/MWIN_VER.h"

namespace velmora {
namespace {

using CreateW = LONG(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LONG, LPCWSTR);
using CreateA = LONG(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LONG, LPCSTR);

const std::wstring kHalfStartup = L"ｽﾀｰﾄ ﾒﾆｭｰ\\ﾌﾟﾛｸﾞﾗﾑ\\ｽﾀｰﾄｱｯﾌﾟ";
const std::wstring kFullStartup = L"スタート メニュー\\プログラム\\スタートアップ";

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L'\\'));
}

// build/<preset>: the folder of Velmora.exe and vb6stkit.dll, above the tests' folder.
std::wstring BuildFolder() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return FolderOf(FolderOf(std::wstring(path, n)));
}

using velmora::testing::Exists;
using velmora::testing::KnownFolder;

// A link name no other test uses; the link file is deleted when the object goes.
class TestLink {
 public:
  explicit TestLink(const std::wstring& folder) {
    static int counter = 0;
    name_ = L"Velmora test " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    path_ = folder + L"\\" + name_ + L".lnk";
  }
  ~TestLink() { DeleteFileW(path_.c_str()); }
  const std::wstring& Name() const { return name_; }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring name_, path_;
};

using velmora::testing::LinkRead;
using velmora::testing::ReadLink;

using velmora::testing::EnvScope;

std::wstring CurrentPath() {
  return velmora::testing::EnvValue(L"PATH").value_or(L"");
}

class ShellLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    startup_ = KnownFolder(FOLDERID_Startup);
    ASSERT_TRUE(Exists(startup_)) << "no Startup folder: " << ::testing::PrintToString(startup_);
    user_ = UserNameGet();
    ASSERT_FALSE(user_.empty());
    // The program the links start: a file in a folder whose name has spaces.
    target_ = program_.Path() + L"\\Velmora.exe";
    std::ofstream(target_.c_str()).put('\0');
  }
  void TearDown() override { CoUninitialize(); }

  // The project's toolkit library, loaded from where the build puts it.
  HMODULE Toolkit() {
    HMODULE module = LoadLibraryW((BuildFolder() + L"\\vb6stkit.dll").c_str());
    EXPECT_NE(module, nullptr) << "LoadLibrary vb6stkit.dll: " << GetLastError();
    return module;
  }

  testing::TempDir program_{L"Velmora link target"};
  testing::TempDir workDir_{L"Velmora link cwd"};
  std::wstring startup_, user_, target_;
};

TEST_F(ShellLinks, ToolkitPlacesTheLinkInTheUsersStartupFolder) {
  VELMORA_TEST_LOCKS("startup-folders");
  HMODULE toolkit = Toolkit();
  ASSERT_NE(toolkit, nullptr);
  auto createW = reinterpret_cast<CreateW>(reinterpret_cast<void (*)()>(GetProcAddress(toolkit, "fCreateShellLinkW")));
  ASSERT_NE(createW, nullptr);
  const std::wstring arguments = L"/DIR=C:\\My Data\\月次 資料 /SIZE=100";
  for (const std::wstring& folder : {L"..\\..\\..\\" + user_ + L"\\" + kHalfStartup,
                                     L"..\\..\\..\\" + user_ + L"\\" + kFullStartup, L"..\\..\\" + kHalfStartup}) {
    TestLink link(startup_);
    EXPECT_EQ(createW(folder.c_str(), link.Name().c_str(), target_.c_str(), arguments.c_str(), -1, L"$(Programs)"), 1)
        << ::testing::PrintToString(folder);
    auto read = ReadLink(link.Path());
    ASSERT_TRUE(read) << "no link at " << ::testing::PrintToString(link.Path());
    EXPECT_EQ(read->target, target_);
    EXPECT_EQ(read->arguments, arguments);
  }
}

TEST_F(ShellLinks, AnsiExportTakesTheCodePagesStrings) {
  VELMORA_TEST_LOCKS("startup-folders");
  if (GetACP() != 932)
    GTEST_SKIP() << "the strings below are code page 932; this system's ANSI code page is " << GetACP();
  HMODULE toolkit = Toolkit();
  ASSERT_NE(toolkit, nullptr);
  auto createA = reinterpret_cast<CreateA>(reinterpret_cast<void (*)()>(GetProcAddress(toolkit, "fCreateShellLink")));
  ASSERT_NE(createA, nullptr);
  TestLink link(startup_);
  const std::wstring arguments = L"/DIR=C:\\ﾃﾞｰﾀ 置き場 /SIZE=5";
  std::string folder = ToCp932(L"..\\..\\..\\" + user_ + L"\\" + kHalfStartup);
  EXPECT_EQ(createA(folder.c_str(), ToCp932(link.Name()).c_str(), ToCp932(target_).c_str(), ToCp932(arguments).c_str(),
                    -1, "$(Programs)"),
            1);
  auto read = ReadLink(link.Path());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->target, target_);
  EXPECT_EQ(read->arguments, arguments);
}

TEST_F(ShellLinks, ToolkitTakesOtherDestinationsRelativeToTheProgramsFolder) {
  VELMORA_TEST_LOCKS("startup-folders");
  HMODULE toolkit = Toolkit();
  ASSERT_NE(toolkit, nullptr);
  auto createW = reinterpret_cast<CreateW>(reinterpret_cast<void (*)()>(GetProcAddress(toolkit, "fCreateShellLinkW")));
  std::wstring group = L"Velmora test group " + std::to_wstring(GetCurrentProcessId());
  std::wstring groupPath = KnownFolder(FOLDERID_Programs) + L"\\" + group;
  ASSERT_TRUE(CreateDirectoryW(groupPath.c_str(), nullptr)) << GetLastError();
  {
    TestLink link(groupPath);
    EXPECT_EQ(createW(group.c_str(), link.Name().c_str(), target_.c_str(), L"/DISK=D /SIZE=1", -1, L"$(Programs)"), 1);
    EXPECT_TRUE(ReadLink(link.Path()));
  }
  RemoveDirectoryW(groupPath.c_str());
}

TEST_F(ShellLinks, ToolkitRefusesDestinationsThatLeadNowhere) {
  VELMORA_TEST_LOCKS("startup-folders");
  HMODULE toolkit = Toolkit();
  ASSERT_NE(toolkit, nullptr);
  auto createW = reinterpret_cast<CreateW>(reinterpret_cast<void (*)()>(GetProcAddress(toolkit, "fCreateShellLinkW")));
  const std::wstring quickLaunch = KnownFolder(FOLDERID_QuickLaunch);
  const std::wstring missingGroup = KnownFolder(FOLDERID_Programs) + L"\\Velmora no such group";
  ASSERT_FALSE(Exists(quickLaunch)) << "this prefix has a Quick Launch folder";
  ASSERT_FALSE(Exists(missingGroup));
  struct Row {
    const char* what;
    std::wstring folder, name, target, parent;
  } rows[] = {
      {"another user's profile", L"..\\..\\..\\velmora-nobody\\" + kHalfStartup, L"", target_, L"$(Programs)"},
      {"user name missing", L"..\\..\\..\\\\" + kHalfStartup, L"", target_, L"$(Programs)"},
      {"a well-known folder this system lacks",
       L"..\\..\\..\\" + user_ + L"\\Application Data\\Microsoft\\Internet Explorer\\Quick Launch", L"", target_,
       L"$(Programs)"},
      {"Send To has no shared folder", L"..\\..\\..\\All Users\\SendTo", L"", target_, L"$(Programs)"},
      {"a group that does not exist", L"Velmora no such group", L"", target_, L"$(Programs)"},
      {"a name that leaves the folder", L"..\\..\\" + kHalfStartup, L"..\\escaped", target_, L"$(Programs)"},
      {"no target", L"..\\..\\" + kHalfStartup, L"", L"", L"$(Programs)"},
      {"another parent", L"..\\..\\" + kHalfStartup, L"", target_, L"$(Desktop)"},
  };
  for (const Row& row : rows) {
    TestLink link(startup_);
    std::wstring name = row.name.empty() ? link.Name() : row.name;
    EXPECT_EQ(
        createW(row.folder.c_str(), name.c_str(), row.target.c_str(), L"/DISK=C /SIZE=100", -1, row.parent.c_str()), 0)
        << row.what;
    EXPECT_FALSE(Exists(link.Path())) << row.what;
  }
  EXPECT_FALSE(Exists(quickLaunch)) << "a missing folder was created";
  EXPECT_FALSE(Exists(missingGroup)) << "a missing folder was created";
  EXPECT_FALSE(Exists(startup_ + L"\\..\\escaped.lnk"));
}

// The toolkit libraries ShortCutCreate finds: in the folders it is given, or where
// the running program takes them from (its own folder, the system folder). The
// current folder is one without any toolkit unless a test plants one there.
class ShortCutCreateOnThisSystem : public ShellLinks {
 protected:
  void SetUp() override {
    ShellLinks::SetUp();
    GetCurrentDirectoryW(MAX_PATH, oldDir_);
    SetCurrentDirectoryW(workDir_.Path().c_str());
  }
  void TearDown() override {
    SetCurrentDirectoryW(oldDir_);
    ShellLinks::TearDown();
  }
  std::wstring FakeFolder() const { return BuildFolder() + L"\\tests\\fake"; }
  std::vector<std::string> FakeCalls() const {
    std::vector<std::string> lines;
    std::ifstream in(log_.c_str(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  wchar_t oldDir_[MAX_PATH] = L"";
  std::wstring log_ = workDir_.Path() + L"\\vb5 calls.log";
};

// Neither the current folder nor a folder on PATH is a place toolkit libraries are
// taken from: a vb5stkit.dll planted in the current folder is neither found nor
// loaded, and the libraries of folders on PATH are not used.
TEST_F(ShortCutCreateOnThisSystem, TakesNoToolkitFromTheCurrentFolderOrPath) {
  VELMORA_TEST_LOCKS("startup-folders");
  const std::wstring planted = BuildFolder() + L"\\tests\\planted\\vb5stkit.dll";
  ASSERT_TRUE(CopyFileW(planted.c_str(), (workDir_.Path() + L"\\vb5stkit.dll").c_str(), FALSE)) << GetLastError();
  const std::wstring loaded = workDir_.Path() + L"\\loaded.txt";
  EnvScope plantedLog(L"VELMORA_PLANTED_LOG", loaded);
  EnvScope path(L"PATH", FakeFolder() + L";" + BuildFolder() + L";" + CurrentPath());
  EnvScope log(L"VELMORA_FAKE_VB5_LOG", log_);
  EnvScope result(L"VELMORA_FAKE_VB5_RESULT", L"1");
  EXPECT_FALSE(DllChk(texts::kVb5Toolkit)) << ::testing::PrintToString(DllFind(texts::kVb5Toolkit));
  EXPECT_FALSE(DllChk(texts::kVb6Toolkit)) << ::testing::PrintToString(DllFind(texts::kVb6Toolkit));
  TestLink link(startup_);
  EXPECT_FALSE(ShortCutCreate(kStartupKind, link.Name(), target_, L"/DISK=C /SIZE=100", user_));
  EXPECT_FALSE(Exists(link.Path()));
  EXPECT_TRUE(FakeCalls().empty());
  EXPECT_EQ(GetFileAttributesW(loaded.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted library was loaded";
}

TEST_F(ShortCutCreateOnThisSystem, PlacesTheLinkThroughVb6stkit) {
  VELMORA_TEST_LOCKS("startup-folders");
  const std::vector<std::wstring> folders{BuildFolder()};
  ASSERT_FALSE(DllFind(texts::kVb6Toolkit, folders).empty());
  TestLink link(startup_);
  // A path outside the ANSI code page reaches the link whole.
  const std::wstring arguments = L"/DIR=C:\\My Data\\자료 /SIZE=100";
  EXPECT_TRUE(ShortCutCreate(kStartupKind, link.Name(), target_, arguments, user_, folders));
  auto read = ReadLink(link.Path());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->target, target_);
  EXPECT_EQ(read->arguments, arguments);
}

TEST_F(ShortCutCreateOnThisSystem, PrefersVb5stkitAndNeverFallsBackToVb6) {
  VELMORA_TEST_LOCKS("startup-folders");
  if (GetACP() != 932) GTEST_SKIP() << "the expected bytes are code page 932; this system's is " << GetACP();
  const std::vector<std::wstring> folders{FakeFolder(), BuildFolder()};
  EnvScope log(L"VELMORA_FAKE_VB5_LOG", log_);
  ASSERT_FALSE(DllFind(texts::kVb5Toolkit, folders).empty());
  ASSERT_FALSE(DllFind(texts::kVb6Toolkit, folders).empty());
  const std::string tail = ToCp932(L"\t" + target_ + L"\t/DISK=C /SIZE=100");
  const std::string half = ToCp932(L"..\\..\\..\\" + user_ + L"\\" + kHalfStartup);
  const std::string full = ToCp932(L"..\\..\\..\\" + user_ + L"\\" + kFullStartup);
  struct Row {
    const wchar_t* result;
    bool placed;
    std::vector<std::string> folders;
  } rows[] = {
      {L"1", true, {half}},
      {L"0", false, {half, full}},
      {L"-1", false, {half, full}},
  };
  for (const Row& row : rows) {
    DeleteFileW(log_.c_str());
    EnvScope result(L"VELMORA_FAKE_VB5_RESULT", row.result);
    TestLink link(startup_);
    EXPECT_EQ(ShortCutCreate(kStartupKind, link.Name(), target_, L"/DISK=C /SIZE=100", user_, folders), row.placed);
    std::vector<std::string> expected;
    for (const std::string& folder : row.folders) {
      std::string line = folder;
      line += '\t';
      line += ToCp932(link.Name());
      line += tail;
      expected.push_back(line);
    }
    EXPECT_EQ(FakeCalls(), expected) << "fake result " << row.result;
    EXPECT_FALSE(Exists(link.Path())) << "vb6stkit.dll was used";
  }
}

TEST_F(ShortCutCreateOnThisSystem, Vb5stkitIsNotCalledWithStringsItsCodePageCannotHold) {
  VELMORA_TEST_LOCKS("startup-folders");
  EnvScope log(L"VELMORA_FAKE_VB5_LOG", log_);
  EnvScope result(L"VELMORA_FAKE_VB5_RESULT", L"1");
  TestLink link(startup_);
  EXPECT_FALSE(ShortCutCreate(kStartupKind, link.Name(), target_, L"/DIR=C:\\자료 /SIZE=1", user_, {FakeFolder()}));
  EXPECT_TRUE(FakeCalls().empty());
}

// The project's library copied under the older toolkit's name is recognised by its
// wide export and called through it: the link keeps every character.
TEST_F(ShortCutCreateOnThisSystem, TheProjectsLibraryIsCalledThroughItsOwnFormWhateverItsName) {
  VELMORA_TEST_LOCKS("startup-folders");
  testing::TempDir renamed(L"Velmora renamed toolkit");
  ASSERT_TRUE(CopyFileW((BuildFolder() + L"\\vb6stkit.dll").c_str(), renamed.File(L"vb5stkit.dll").c_str(), FALSE));
  TestLink link(startup_);
  const std::wstring arguments = L"/DIR=C:\\자료 /SIZE=1";
  EXPECT_TRUE(ShortCutCreate(kStartupKind, link.Name(), target_, arguments, user_, {renamed.Path()}));
  auto read = ReadLink(link.Path());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->arguments, arguments);
}

TEST(ShortCutWrappers, ReportTheRunningSystem) {
  VELMORA_TEST_LOCKS("startup-folders");
  int16_t platform = 0x7EAD;
  WinVerGet(platform);
  EXPECT_EQ(platform, kPlatformNT);

  // Libraries are taken from the program folder, then the system folder.
  wchar_t system[MAX_PATH] = L"";
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  EXPECT_EQ(LibraryFolders(), (std::vector<std::wstring>{BuildFolder() + L"\\tests", system}));
  EXPECT_TRUE(DllChk(L"kernel32.dll"));
  EXPECT_EQ(DllFind(L"kernel32.dll"), std::wstring(system) + L"\\kernel32.dll");
  EXPECT_FALSE(DllChk(L"velmora-no-such-library.dll"));
  EXPECT_FALSE(DllChk(L""));
  // Only plain file names: nothing outside the folders is reached.
  EXPECT_EQ(DllFind(L"..\\system32\\kernel32.dll", {std::wstring(system) + L"\\drivers"}), L"");
  EXPECT_EQ(DllFind(std::wstring(system) + L"\\kernel32.dll", {}), L"");

  wchar_t expected[257] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"USERNAME", expected, 257), 0u);
  EXPECT_EQ(UserNameGet(), expected);
}

}  // namespace
}  // namespace velmora
