// The directory walk while another thread deletes files and whole directories under
// it, and the settings reader on bad input with the system's own code page converter.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "measure/MDirSizeChk.h"
#include "store/MSettings.h"

using velmora::testing::TempDir;

namespace {

struct TreeFile {
  std::wstring path;
  uint64_t length;
};

// A tree of `dirs` directories, each holding 20 files and two subdirectories of 10
// files; every file has its own length. The files in creation order.
std::vector<TreeFile> MakeTree(const std::wstring& root, int dirs) {
  std::vector<TreeFile> files;
  auto file = [&](const std::wstring& path) {
    uint64_t length = 1 + files.size() * 7 % 4000;
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string bytes(static_cast<size_t>(length), 'v');
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(handle);
    files.push_back({path, length});
  };
  for (int d = 0; d < dirs; ++d) {
    std::wstring dir = root + L"\\d" + std::to_wstring(d);
    CreateDirectoryW(dir.c_str(), nullptr);
    for (int f = 0; f < 20; ++f) file(dir + L"\\f" + std::to_wstring(f));
    for (int s = 0; s < 2; ++s) {
      std::wstring sub = dir + L"\\s" + std::to_wstring(s);
      CreateDirectoryW(sub.c_str(), nullptr);
      for (int f = 0; f < 10; ++f) file(sub + L"\\g" + std::to_wstring(f));
    }
  }
  return files;
}

// Deletes a folder with everything below it, deepest first; false when something stayed.
bool Remove(const std::wstring& dir) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        Remove(dir + L"\\" + name);
      else
        DeleteFileW((dir + L"\\" + name).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  return RemoveDirectoryW(dir.c_str()) != 0;
}

}  // namespace

// Each round deletes, while the walk runs, a random half of the files one by one and
// whole directories (in the last round the measured directory itself). The walk must
// end without a failure of its own, count every file nobody touched and nothing that
// was never there.
TEST(WalkUnderDeletion, EndsAndCountsEveryFileThatStayed) {
  for (int round = 0; round < 3; ++round) {
    TempDir dir(L"velmora-vanish");
    const std::wstring root = dir.Path();
    std::vector<TreeFile> files = MakeTree(root, 30);
    uint64_t all = 0;
    for (const TreeFile& f : files) all += f.length;

    std::mt19937 random(20240607 + round);
    std::vector<size_t> victims;
    for (size_t i = 0; i < files.size(); ++i)
      if (random() % 2) victims.push_back(i);
    std::shuffle(victims.begin(), victims.end(), random);
    std::vector<std::wstring> dirs = {root + L"\\d3", root + L"\\d17\\s1"};
    if (round == 2) dirs.push_back(root);
    // What surely stays: the files neither picked nor under a directory that goes.
    std::vector<bool> touched(files.size(), false);
    for (size_t i : victims) touched[i] = true;
    for (size_t i = 0; i < files.size(); ++i)
      for (const std::wstring& gone : dirs)
        if (files[i].path.compare(0, gone.size() + 1, gone + L"\\") == 0) touched[i] = true;
    uint64_t untouched = 0;
    for (size_t i = 0; i < files.size(); ++i)
      if (!touched[i]) untouched += files[i].length;

    std::atomic<bool> walking{false}, walked{false};
    std::atomic<int> deletedWhileWalking{0};
    std::thread deleter([&] {
      while (!walking) Sleep(0);
      size_t next = 0;
      for (size_t i = 0; i < victims.size(); ++i) {
        if (i % 20 == 0 && next < dirs.size()) Remove(dirs[next++]);
        DeleteFileW(files[victims[i]].path.c_str());
        if (!walked) ++deletedWhileWalking;
        Sleep(0);
      }
      while (next < dirs.size()) Remove(dirs[next++]);
    });
    double bytes = -1;
    int yields = 0;
    bool measured = velmora::DirSizeChk(velmora::SizeUnit::kBytes, root, L"*.*", true, bytes, [&] {
      walking = true;
      ++yields;
      Sleep(1);  // slow enough for the deleter to keep up
    });
    walked = true;
    walking = true;
    deleter.join();

    EXPECT_TRUE(measured || round == 2) << "round " << round;
    EXPECT_GE(bytes, static_cast<double>(untouched)) << "round " << round;
    EXPECT_LE(bytes, static_cast<double>(all)) << "round " << round;
    EXPECT_GT(deletedWhileWalking, 0) << "round " << round << ": the deletions came too late to matter";
    std::printf("[ figures  ] round %d: %llu of %llu bytes counted, %llu surely; %d deletions during the walk\n", round,
                static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(all),
                static_cast<unsigned long long>(untouched), deletedWhileWalking.load());
  }
}

// Lines are cut in the file's bytes before the system's converter sees them: a line
// that ends in half a double-byte character keeps its line end and the next line.
TEST(SettingsOnBadInput, BrokenCharactersStayInTheirLine) {
  struct Row {
    std::string bytes;
    int csv, txt;
  } rows[] = {
      {"junk\x81\n[Log   ]1\n", 1, 0},
      {"junk\x81\r[LogTXT]1\r", 0, 1},
      {"[LogTXT]1\x81\r\n[Log   ]\x82\r\n[Log   ]\xff\xfe"
       "1\r\n",
       0, 1},
      {"\x81", 0, 0},
      {"[Log   ]1\x81", 1, 0},
  };
  for (const Row& row : rows) {
    int value[2] = {0, 0};
    velmora::LogOptionRules rules([&](int index) { return value[index]; }, [&](int index, int v) { value[index] = v; });
    velmora::ParseSettings(row.bytes, [&](int index, int16_t v) { return rules.Set(index, v); });
    EXPECT_EQ(value[0], row.csv) << row.bytes;
    EXPECT_EQ(value[1], row.txt) << row.bytes;
  }
}

// A settings file of any size is read only as far as a settings file can sensibly go.
TEST(SettingsOnBadInput, AHugeFileIsReadOnlyInPart) {
  TempDir dir;
  dir.Write(L"Velmora.ini", "[Log   ]1" + std::string(10 << 20, 'x'));
  auto bytes = velmora::ReadSettingsFile(dir.File(L"Velmora.ini"));
  ASSERT_TRUE(bytes);
  EXPECT_GE(bytes->size(), 1u << 20);
  EXPECT_LE(bytes->size(), (1u << 20) + 65536);
  EXPECT_EQ(bytes->substr(0, 9), "[Log   ]1");
}
