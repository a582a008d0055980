// The setup program's folder swap: at every step of an installation, an upgrade and an
// uninstall, a refused operation and a killed run (and a run killed again while it
// recovers) leave, after recovery, exactly one version's files; the settings and logs
// are never touched. Also which folders are Velmora's and which /D= texts name a folder.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "InstallDir.h"
#include "SetupFolder.h"

namespace velmora::setup {
namespace {

struct Killed {};

// A program folder in memory whose operation number `failAt` is refused and whose
// operation number `killAt` never happens (the run is killed before it).
class MemoryFolder : public FolderFiles {
 public:
  struct State {
    bool exists = false;
    std::set<std::wstring> folders;
    std::map<std::wstring, std::string> files;
    std::optional<std::wstring> journal;
    bool operator==(const State&) const = default;
  };
  State state;
  int operations = 0, failAt = -1, killAt = -1;
  bool committedOnce = false;

  void Reset(const State& s) {
    state = s;
    operations = 0;
    failAt = killAt = -1;
  }
  // A staged file as the setup program writes it: one operation, which may fail (a full
  // disk) or never happen.
  bool Write(const std::wstring& name, const std::string& bytes) {
    if (!Step()) return false;
    EXPECT_TRUE(InFolderThatExists(name)) << "no folder for " << std::string(name.begin(), name.end());
    state.files[name] = bytes;
    return true;
  }

  bool Exists(const std::wstring& name) override { return state.files.count(name) > 0; }
  bool Rename(const std::wstring& from, const std::wstring& to) override {
    if (!Step() || !state.files.count(from) || state.files.count(to)) return false;
    state.files[to] = state.files[from];
    state.files.erase(from);
    return true;
  }
  bool Delete(const std::wstring& name) override {
    if (!Step()) return false;
    state.files.erase(name);
    return true;
  }
  std::optional<Fingerprint> FingerprintOf(const std::wstring& name) override {
    if (!Step() || !state.files.count(name)) return std::nullopt;
    const std::string& bytes = state.files[name];
    return Fingerprint{bytes.size(), FingerprintHash(kFingerprintStart, bytes)};
  }
  std::optional<int> MakeFolder(const std::wstring& name) override {
    if (!Step()) return std::nullopt;
    if (name.empty()) {
      if (state.exists) return 0;
      state.exists = true;
      return 2;  // and one folder above it
    }
    if (!state.exists) return std::nullopt;
    return state.folders.insert(name).second ? 1 : 0;
  }
  bool RemoveFolder(const std::wstring& name, int levels) override {
    if (!Step()) return false;
    if (name.empty()) {
      if (!state.folders.empty() || !state.files.empty() || state.journal || levels != 2) return false;
      state.exists = false;
      return true;
    }
    for (const auto& [file, bytes] : state.files)
      if (file.rfind(name + L"\\", 0) == 0) return false;
    return state.folders.erase(name) > 0;
  }
  std::optional<std::optional<std::wstring>> ReadJournal() override {
    if (!Step()) return std::nullopt;
    return state.journal;
  }
  bool WriteJournal(const std::wstring& text) override {
    if (!Step() || !state.exists) return false;
    state.journal = text;
    if (text.find(L"phase committed") != std::wstring::npos) committedOnce = true;
    return true;
  }
  bool DeleteJournal() override {
    if (!Step()) return false;
    state.journal.reset();
    return true;
  }

 private:
  bool Step() {
    int n = operations++;
    if (n == killAt) throw Killed{};
    return n != failAt;
  }
  bool InFolderThatExists(const std::wstring& name) const {
    size_t slash = name.rfind(L'\\');
    return state.exists && (slash == std::wstring::npos || state.folders.count(name.substr(0, slash)));
  }
};

const std::vector<std::wstring> kNames = {L"Velmora.exe",   L"vb6stkit.dll",      L"Velmora.html",   L"README-ja.txt",
                                          L"Uninstall.exe", L"images\\drive.png", L"images\\new.png"};
const std::map<std::wstring, std::string> kData = {{L"Velmora.ini", "[Log   ]1\r\n"},
                                                   {L"Cドライブのログ.csv", "header\r\nrecord\r\n"}};

MemoryFolder::State NewVersion(MemoryFolder::State base) {
  base.exists = true;
  base.folders.insert(L"images");
  for (const std::wstring& name : kNames) base.files[name] = "new " + std::string(name.begin(), name.end());
  return base;
}

// The setup program's run: recover, stage, swap. Whether it reported success.
bool InstallRun(MemoryFolder& folder) {
  if (Recover(folder) != Outcome::kDone) return false;
  if (BeginStaging(folder, kNames) != Outcome::kDone) return false;
  for (const std::wstring& name : kNames) {
    if (!folder.Write(name + L".new", "new " + std::string(name.begin(), name.end()))) {
      Recover(folder);  // the setup program's clean-up after a failed write
      return false;
    }
  }
  return Swap(folder).outcome == Outcome::kDone;
}

// The uninstaller's run: set the program aside, delete the links (one more operation
// that may fail, which puts the program back), commit.
bool UninstallRun(MemoryFolder& folder) {
  if (Recover(folder) != Outcome::kDone) return false;
  if (SetAside(folder, kNames) != Outcome::kDone) return false;
  if (!folder.Write(L"links-deleted", "")) {
    Undo(folder);
    return false;
  }
  folder.state.files.erase(L"links-deleted");
  return Commit(folder) == Outcome::kDone;
}

struct Scenario {
  const char* what;
  MemoryFolder::State before;
  bool (*run)(MemoryFolder&);
  MemoryFolder::State after;  // when the run succeeds
};

std::vector<Scenario> Scenarios() {
  MemoryFolder::State missing;
  MemoryFolder::State data;
  data.exists = true;
  data.files = kData;
  MemoryFolder::State old = data;
  old.folders = {L"images"};
  for (const std::wstring& name : kNames)
    if (name != L"images\\new.png") old.files[name] = "old " + std::string(name.begin(), name.end());
  old.files[L"images\\drive.png"] = "old picture";
  MemoryFolder::State removed = old;
  for (const std::wstring& name : kNames) removed.files.erase(name);
  return {
      {"install into a missing folder", missing, InstallRun, NewVersion(missing)},
      {"install beside kept settings and logs", data, InstallRun, NewVersion(data)},
      {"upgrade", old, InstallRun, NewVersion(old)},
      {"uninstall", old, UninstallRun, removed},
  };
}

std::string Describe(const MemoryFolder::State& s) {
  std::string text = s.exists ? "folder" : "no folder";
  for (const std::wstring& f : s.folders) text += " [" + std::string(f.begin(), f.end()) + "]";
  for (const auto& [name, bytes] : s.files) text += " " + std::string(name.begin(), name.end()) + "=" + bytes;
  if (s.journal) text += " +journal";
  return text;
}

// The same files and no journal. Folders the run made may stay behind, empty, when it
// was killed, or refused, between deleting its journal and removing them.
bool SameVersion(const MemoryFolder::State& actual, const MemoryFolder::State& expected) {
  if (actual.files != expected.files || actual.journal || (expected.exists && !actual.exists)) return false;
  for (const std::wstring& folder : expected.folders)
    if (!actual.folders.count(folder)) return false;
  return true;
}

// The next run's recovery, killed before operation `killAt` (-1: not killed) and then
// run once more. Whether the kill came.
bool RecoverFully(MemoryFolder& folder, int killAt) {
  folder.operations = 0;
  folder.failAt = -1;
  folder.killAt = killAt;
  try {
    Recover(folder);
    return false;
  } catch (const Killed&) {
    folder.operations = 0;
    folder.killAt = -1;
    Recover(folder);
    return true;
  }
}

TEST(FolderSwap, EveryRefusedStepLeavesTheOldVersionWhole) {
  for (const Scenario& s : Scenarios()) {
    MemoryFolder folder;
    folder.Reset(s.before);
    ASSERT_TRUE(s.run(folder)) << s.what;
    ASSERT_TRUE(SameVersion(folder.state, s.after)) << s.what << ": " << Describe(folder.state);
    const int steps = folder.operations;
    for (int failAt = 0; failAt < steps; ++failAt) {
      folder.Reset(s.before);
      folder.committedOnce = false;
      folder.failAt = failAt;
      const bool succeeded = s.run(folder);
      // A run that reports success has committed; one that fails after committing (an
      // old file that cannot be deleted yet) leaves the rest to the next run.
      EXPECT_TRUE(!succeeded || folder.committedOnce) << s.what << ", step " << failAt;
      const MemoryFolder::State& expected = folder.committedOnce ? s.after : s.before;
      if (!folder.state.journal) {
        EXPECT_TRUE(SameVersion(folder.state, expected))
            << s.what << ", step " << failAt << " refused: " << Describe(folder.state);
      }
      RecoverFully(folder, -1);
      EXPECT_TRUE(SameVersion(folder.state, expected))
          << s.what << ", step " << failAt << " refused, then recovered: " << Describe(folder.state);
    }
  }
}

TEST(FolderSwap, AKilledRunIsRecoveredToOneVersionEvenWhenTheRecoveryIsKilled) {
  for (const Scenario& s : Scenarios()) {
    MemoryFolder clean;
    clean.Reset(s.before);
    ASSERT_TRUE(s.run(clean));
    const int steps = clean.operations;
    int runs = 0;
    for (int killAt = 0; killAt <= steps; ++killAt) {
      for (int recoveryKilledAt = -1;; ++recoveryKilledAt) {
        MemoryFolder folder;
        folder.Reset(s.before);
        folder.committedOnce = false;
        folder.killAt = killAt;
        bool finished = false;
        try {
          finished = s.run(folder);
        } catch (const Killed&) {
        }
        ASSERT_TRUE(finished || killAt < steps) << s.what;
        // The swap counts as done once its journal said committed; before, it never happened.
        const MemoryFolder::State& expected = folder.committedOnce ? s.after : s.before;
        const bool killedAgain = RecoverFully(folder, recoveryKilledAt);
        ++runs;
        EXPECT_TRUE(SameVersion(folder.state, expected))
            << s.what << ", killed before step " << killAt << ", recovery killed before step " << recoveryKilledAt
            << ": " << Describe(folder.state);
        if (recoveryKilledAt >= 0 && !killedAgain) break;  // every step of the recovery had its kill
      }
    }
    EXPECT_GT(runs, steps) << s.what;
  }
}

TEST(FolderSwap, ARunDoesNotStartOverLeftoversItCannotAccountFor) {
  struct Row {
    const char* what;
    std::map<std::wstring, std::string> files;
    std::optional<std::wstring> journal;
  } const rows[] = {
      {"a NAME.old of no journal", {{L"Velmora.exe", "v"}, {L"Velmora.exe.old", "w"}}, std::nullopt},
      {"a NAME.new of no journal", {{L"README-ja.txt.new", "mine"}}, std::nullopt},
      {"a journal that is no journal", {{L"Velmora.exe", "v"}}, L"garbage\r\n"},
      {"a file not the run's in the way of an old one",
       {{L"Velmora.exe", "someone's"}, {L"Velmora.exe.old", "old"}},
       JournalText({Phase::kSwapping, {}, {{L"Velmora.exe", {3, 4}}}, {L"Velmora.exe"}})},
  };
  for (const Row& row : rows) {
    MemoryFolder folder;
    MemoryFolder::State before;
    before.exists = true;
    before.files = row.files;
    before.journal = row.journal;
    folder.Reset(before);
    EXPECT_FALSE(InstallRun(folder)) << row.what;
    EXPECT_TRUE(folder.state == before) << row.what << ": " << Describe(folder.state);
  }
}

TEST(FolderSwap, JournalsReadBackAsWrittenAndDamagedOnesAreRefused) {
  Journal journal;
  journal.phase = Phase::kSwapping;
  journal.made = {{L"", 3}, {L"images", 1}};
  journal.added = {{L"images\\a b.png", {12, 18446744073709551615ull}}, {L"Velmora.exe", {0, 0}}};
  journal.replaced = {L"Velmora.exe"};
  std::wstring text = JournalText(journal);
  std::optional<Journal> read = ParseJournal(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(JournalText(*read), text);
  for (std::wstring damaged : {text.substr(0, text.size() - 3), text.substr(0, text.find(L"replaced")),
                               std::wstring(L"x") + text, text + L"more\r\n", std::wstring()}) {
    EXPECT_FALSE(ParseJournal(damaged)) << std::string(damaged.begin(), damaged.end());
  }
}

TEST(FolderKindOf, OnlyEmptyFoldersAndVelmorasOwnAreFoldersToInstallInto) {
  auto isLog = [](const std::wstring& name) { return name == L"Cドライブのログ.csv" || name == L"Data.txt"; };
  struct Row {
    std::vector<std::wstring> entries;
    FolderKind kind;
  } const rows[] = {
      {{}, FolderKind::kEmpty},
      {{L"Velmora.exe", L"Uninstall.exe", L"notes.txt", L"photos"}, FolderKind::kVelmora},  // an installation
      {{L"Velmora-setup.journal", L"mine.doc"}, FolderKind::kVelmora},                      // a setup that stopped
      {{L"Velmora.ini", L"Cドライブのログ.csv", L"Data.txt"}, FolderKind::kVelmora},        // kept settings and logs
      {{L"images", L"VELMORA.INI"}, FolderKind::kVelmora},
      {{L"Velmora.exe", L"vb6stkit.dll", L"Velmora.html", L"README-ja.txt", L"images", L"images\\drive.png"},
       FolderKind::kOther},  // the zip's files, or the user's of the same names
      {{L"Velmora.exe.old"}, FolderKind::kOther},
      {{L"Velmora.ini", L"mine.txt"}, FolderKind::kOther},
      {{L"README-ja.txt", L"images", L"images\\drive.png", L"images\\holiday.png"}, FolderKind::kOther},
      {{L"Velmora.exe", L"Data.csv"}, FolderKind::kOther},  // a csv that is no log
      {{L"Uninstall.exe", L"setup.exe"}, FolderKind::kOther},
      {{L"desktop.ini"}, FolderKind::kOther},
  };
  for (const Row& row : rows) {
    std::string what;
    for (const std::wstring& e : row.entries) what += std::string(e.begin(), e.end()) + " ";
    EXPECT_EQ(ClassifyFolder(row.entries, kNames, isLog), row.kind) << what;
  }
}

TEST(DirectoryArgumentOf, FindsTheFolderTheWayTheSetupProgramReadsIt) {
  using Kind = DirectoryArgument::Kind;
  struct Row {
    const wchar_t* line;
    Kind kind;
    const wchar_t* text;
  } const rows[] = {
      {L"\"C:\\dl\\setup.exe\" /S", Kind::kNone, L""},
      {L"\"C:\\dl\\setup.exe\" /S /D=D:\\Tools\\Velmora", Kind::kGiven, L"D:\\Tools\\Velmora"},
      {L"setup.exe /S /D=D:\\My Tools\\Velmora", Kind::kGiven, L"D:\\My Tools\\Velmora"},
      {L"setup.exe /D=D:\\x /S", Kind::kGiven, L"D:\\x /S"},  // the rest of the line
      {L"setup.exe /S \"/D=D:\\My Tools\"", Kind::kMalformed, L"\"/D=D:\\My Tools\""},
      {L"setup.exe /S /d=D:\\x", Kind::kMalformed, L"/d=D:\\x"},
      {L"setup.exe /S /D=\"D:\\x\"", Kind::kGiven, L"\"D:\\x\""},
      {L"\"C:\\a /D=b\\setup.exe\" /S", Kind::kNone, L""},  // inside the program's name
      {L"setup.exe \"quoted /D=x\" /S", Kind::kNone, L""},
      {L"setup.exe /S /D=", Kind::kGiven, L""},
  };
  for (const Row& row : rows) {
    DirectoryArgument argument = DirectoryArgumentOf(row.line);
    EXPECT_EQ(argument.kind, row.kind) << std::wstring(row.line).size();
    EXPECT_EQ(argument.text, row.text);
    EXPECT_EQ(argument.silentAfter, std::wstring(row.line).find(L"x /S") != std::wstring::npos) << argument.text.size();
  }
}

TEST(InstallPath, TakesOnlyFullPlainFolderPaths) {
  struct Row {
    const wchar_t* text;
    const wchar_t* path;  // null: refused
  } const rows[] = {
      {L"D:\\Tools\\Velmora", L"D:\\Tools\\Velmora"},
      {L"D:\\My Tools\\ベルモラ", L"D:\\My Tools\\ベルモラ"},
      {L"D:\\Tools\\Velmora\\", L"D:\\Tools\\Velmora"},
      {L"\\\\server\\share\\Velmora", L"\\\\server\\share\\Velmora"},
      {L"Velmora", nullptr},
      {L"Tools\\Velmora", nullptr},
      {L"\\Tools\\Velmora", nullptr},
      {L"D:Tools", nullptr},
      {L"D:\\", nullptr},
      {L"D:/Tools/Velmora", nullptr},
      {L"\"D:\\Tools\"", nullptr},
      {L"D:\\Tools\\\\Velmora", nullptr},
      {L"D:\\Tools\\..\\Velmora", nullptr},
      {L"D:\\Tools.\\Velmora", nullptr},
      {L"D:\\Tools\\con", nullptr},
      {L"D:\\x /S", nullptr},
      {L"D:\\a*b", nullptr},
      {L"1:\\Velmora", nullptr},
      {L"\\\\server\\share", nullptr},
      {L"\\\\server", nullptr},
      {L"", nullptr},
  };
  for (const Row& row : rows) {
    std::optional<std::wstring> path = InstallPath(row.text, 20);
    EXPECT_EQ(path.has_value(), row.path != nullptr) << std::wstring(row.text).size();
    if (path && row.path) {
      EXPECT_EQ(*path, row.path);
    }
  }
  const std::wstring longest = L"C:\\" + std::wstring(230, L'a');  // 233 + 1 + 20 + 4 = 258
  EXPECT_TRUE(InstallPath(longest, 20));
  EXPECT_FALSE(InstallPath(longest + L"aa", 20));
}

}  // namespace
}  // namespace velmora::setup
