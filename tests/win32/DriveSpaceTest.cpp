// Free space of real drives, as the system reports it.
#include <windows.h>
#include <gtest/gtest.h>

#include <cmath>

#include "measure/MDriveSpace.h"

namespace {

// A letter with no drive behind it, or 0 when every letter is taken.
wchar_t UnusedLetter() {
  DWORD used = GetLogicalDrives();
  for (int i = 25; i >= 3; --i)
    if (!(used & (1u << i))) return static_cast<wchar_t>(L'A' + i);
  return 0;
}

}  // namespace

TEST(DriveSpaceChkOnWindows, AgreesWithTheSystemsByteCount) {
  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, &total, &free)) << GetLastError();
  float megabytes = -7;
  ASSERT_TRUE(velmora::DriveSpaceChk(velmora::SizeUnit::kMegabytes, L"C:\\", megabytes));
  double expected = static_cast<double>(free.QuadPart) / 1048576.0;
  // Single precision, and the disk may change a little between the two calls.
  EXPECT_NEAR(megabytes, expected, expected * 1e-3 + 16) << "C: free " << free.QuadPart;
  float kilobytes = -7;
  ASSERT_TRUE(velmora::DriveSpaceChk(velmora::SizeUnit::kKilobytes, L"C:\\", kilobytes));
  EXPECT_NEAR(kilobytes / 1024, megabytes, megabytes * 1e-3 + 16);
}

TEST(DriveSpaceChkOnWindows, FailsForRootsTheSystemRejects) {
  wchar_t unused = UnusedLetter();
  ASSERT_NE(unused, 0) << "every drive letter is in use";
  const std::wstring roots[] = {
      std::wstring(1, unused) + L":\\",  // no drive behind the letter
      L"C::\\",                          // a letter that already carried its colon
      L"",
  };
  for (const std::wstring& root : roots) {
    float size = 0xdead;
    EXPECT_FALSE(velmora::DriveSpaceChk(velmora::SizeUnit::kMegabytes, root, size))
        << "root \"" << std::string(root.begin(), root.end()) << "\"";
    EXPECT_EQ(size, static_cast<float>(0xdead));
  }
}
