// Free space from the four counts: the unit, the early divisions and the failures.
#include <gtest/gtest.h>

#include <cmath>

#include "measure/MDriveSpace.h"

using velmora::DiskCounts;
using velmora::DriveSpaceChk;

namespace {

// A query that reports fixed counts and remembers the root path it was asked for.
struct FixedDisk {
  FixedDisk(DiskCounts counts, bool ok = true) : counts(counts), ok(ok) {}
  DiskCounts counts;
  bool ok;
  std::wstring asked;
  velmora::DiskFreeQuery Query() {
    return [this](const std::wstring& root, DiskCounts& out) {
      asked = root;
      if (ok) out = counts;
      return ok;
    };
  }
};

}  // namespace

TEST(DriveSpaceChk, ConvertsTheCountsInEveryUnit) {
  struct Row {
    uint32_t sectors, bytes, freeClusters;
    int unit;
    float expected;
  } rows[] = {
      {8, 512, 10485760, 1, 40960.0f},          // 40 GiB free
      {8, 512, 10485760, 0, 41943040.0f},       // the same in KB
      {8, 512, 10485760, 2, 40.0f},             // and in GB
      {8, 512, 0, 1, 0.0f},                     // a full drive
      {8, 512, 3, 1, 0.01171875f},              // three clusters
      {1, 1024, 1024, 1, 1.0f},                 // exactly 1024 is not divided early
      {1, 1024, 1025, 1, 1025.0f / 1024.0f},    // just above it is
      {8, 512, 4294967295u, 1, 16777216.0f},    // the most clusters a count can hold
      {128, 4096, 2147483648u, 2, 1048576.0f},  // 1 PiB free: no overflow, no sign flip
  };
  for (const Row& row : rows) {
    FixedDisk disk({row.sectors, row.bytes, row.freeClusters, 0});
    float size = -7;
    ASSERT_TRUE(DriveSpaceChk(row.unit, L"C:\\", size, disk.Query())) << row.freeClusters;
    EXPECT_NEAR(size, row.expected, std::fabs(row.expected) * 1e-6f) << row.freeClusters << " unit " << row.unit;
    EXPECT_EQ(disk.asked, L"C:\\");
  }
}

TEST(DriveSpaceChk, FailsWithoutTouchingTheSize) {
  FixedDisk good({8, 512, 100, 0});
  FixedDisk failing({8, 512, 100, 0}, false);
  struct Row {
    int unit;
    FixedDisk* disk;
  } rows[] = {{3, &good}, {-1, &good}, {1, &failing}, {0, &failing}};
  for (const Row& row : rows) {
    float size = 123.5f;
    EXPECT_FALSE(DriveSpaceChk(row.unit, L"C:\\", size, row.disk->Query())) << row.unit;
    EXPECT_EQ(size, 123.5f);
  }
  float size = 1;
  EXPECT_FALSE(DriveSpaceChk(1, L"C:\\", size, velmora::DiskFreeQuery{}));
}
