// Free space from the four counts: the unit, the early divisions and the failures.
#include <gtest/gtest.h>

#include <cmath>

#include "measure/MDriveSpace.h"

using velmora::DiskCounts;
using velmora::DriveSpaceChk;
using enum velmora::SizeUnit;

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
    velmora::SizeUnit unit;
    float expected;
  } rows[] = {
      {8, 512, 10485760, kMegabytes, 40960.0f},          // 40 GiB free
      {8, 512, 10485760, kKilobytes, 41943040.0f},       // the same in KB
      {8, 512, 10485760, kGigabytes, 40.0f},             // and in GB
      {8, 512, 0, kMegabytes, 0.0f},                     // a full drive
      {8, 512, 3, kMegabytes, 0.01171875f},              // three clusters
      {1, 1024, 1024, kMegabytes, 1.0f},                 // exactly 1024 is not divided early
      {1, 1024, 1025, kMegabytes, 1025.0f / 1024.0f},    // just above it is
      {8, 512, 4294967295u, kMegabytes, 16777216.0f},    // the most clusters a count can hold
      {128, 4096, 2147483648u, kGigabytes, 1048576.0f},  // 1 PiB free: no overflow, no sign flip
  };
  for (const Row& row : rows) {
    FixedDisk disk({row.sectors, row.bytes, row.freeClusters, 0});
    float size = -7;
    ASSERT_TRUE(DriveSpaceChk(row.unit, L"C:\\", size, disk.Query())) << row.freeClusters;
    EXPECT_NEAR(size, row.expected, std::fabs(row.expected) * 1e-6f)
        << row.freeClusters << " unit " << DivisionsBy1024(row.unit);
    EXPECT_EQ(disk.asked, L"C:\\");
  }
}

TEST(DriveSpaceChk, FailsWithoutTouchingTheSize) {
  FixedDisk good({8, 512, 100, 0});
  FixedDisk failing({8, 512, 100, 0}, false);
  struct Row {
    velmora::SizeUnit unit;
    FixedDisk* disk;
  } rows[] = {{kBytes, &good},  // the drive check gives no bytes
              {static_cast<velmora::SizeUnit>(4), &good},
              {static_cast<velmora::SizeUnit>(-1), &good},
              {kMegabytes, &failing},
              {kKilobytes, &failing}};
  for (const Row& row : rows) {
    float size = 123.5f;
    EXPECT_FALSE(DriveSpaceChk(row.unit, L"C:\\", size, row.disk->Query())) << DivisionsBy1024(row.unit);
    EXPECT_EQ(size, 123.5f);
  }
  float size = 1;
  EXPECT_FALSE(DriveSpaceChk(kMegabytes, L"C:\\", size, velmora::DiskFreeQuery{}));
}
