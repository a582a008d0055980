#include "app/AutoCheck.h"

#include <cmath>

#include "base/Number.h"
#include "base/Text.h"
#include "base/Texts.h"

namespace velmora {
namespace {

const std::wstring kCrLf = texts::kCrLf;

std::wstring WarningHead() {
  return texts::kWarning + kCrLf + kCrLf;
}

struct Outcome {
  CheckKind kind = CheckKind::kDrive;
  bool found = false;
  float measured = 0;
  CheckResult result = CheckResult::kWarned;  // logged only for a found target
  AutoExit exitCode = kExitPassed;
};

Outcome DriveCheck(const AutoArgs& args, AutoCheckHost& host, bool& failed) {
  Outcome o;
  o.kind = CheckKind::kDrive;
  RootListing root = host.ListRoot(args.disk + L":\\");
  if (root == RootListing::kError) {
    failed = true;
    return o;
  }
  if (root == RootListing::kNone) {
    host.ShowWarning(DriveNotFoundMessage(args.disk));
    o.exitCode = kExitNotFound;
    return o;
  }
  o.found = true;
  o.measured = host.AkiSizeDisp(args.disk);
  o.result = CheckResult::kPassed;
  if (!(o.measured > args.size)) {
    o.result = CheckResult::kWarned;
    host.ShowWarning(DriveBelowMessage(args.disk, args.size, o.measured));
    o.exitCode = kExitWarned;
  }
  return o;
}

Outcome DirCheck(AutoArgs& args, AutoCheckHost& host) {
  Outcome o;
  o.kind = CheckKind::kDirectory;
  bool measured = false;
  float used = 0;
  if (!host.DirFind(args.dir).empty()) used = host.SiyouSizeDisp(args.dir, measured);
  // A directory that exists but cannot be listed is not measured: it takes the path of
  // a missing one (its message, a not-found record), never a passed check.
  if (measured) {
    o.found = true;
    o.measured = used;
    o.result = CheckResult::kPassed;
    if (!(o.measured < args.size)) {
      o.result = CheckResult::kWarned;
      host.ShowWarning(DirAboveMessage(args.size, o.measured));
      o.exitCode = kExitWarned;
    }
  } else {
    host.ShowWarning(DirNotFoundMessage(args.dir));
    o.exitCode = kExitNotFound;
  }
  args.disk = host.DirFind(args.dir);
  return o;
}

void Log(const AutoArgs& args, const Outcome& o, AutoCheckHost& host) {
  if (args.disk.empty() || args.size == 0) return;
  for (int attempt = 0; attempt < kLogAttempts; ++attempt) {
    if (host.LogWrite(o.kind, o.found, args.disk, o.measured, args.size, o.result)) return;
    host.Sleep(RetryPause(host.Rnd()));
    host.Randomize();
  }
}

}  // namespace

AutoMessage DriveBelowMessage(const std::wstring& disk, float limit, float measured) {
  return {WarningHead() + ToFullWidth(disk) + texts::kDriveFreeIs + FormatGeneral(limit) + texts::kMbOrLess + kCrLf +
              texts::kCurrentFree + FormatSize(measured) + texts::kMbDesu,
          texts::kTitleDriveResult};
}

AutoMessage DriveNotFoundMessage(const std::wstring& disk) {
  return {WarningHead() + ToFullWidth(disk) + texts::kDriveNotFound, texts::kTitleDriveResult};
}

AutoMessage DirAboveMessage(float limit, float measured) {
  return {WarningHead() + texts::kDirUsedIs + FormatGeneral(limit) + texts::kMbOrMore + kCrLf + texts::kCurrentUsed +
              FormatSize(measured) + texts::kMbDesu,
          texts::kTitleDirResult};
}

AutoMessage DirNotFoundMessage(const std::wstring& dir) {
  return {WarningHead() + texts::kDirNotFound + kCrLf + dir, texts::kTitleDirResult};
}

AutoMessage DriveNotAccessibleMessage(const std::wstring& disk) {
  return {WarningHead() + ToFullWidth(disk) + texts::kDriveNotAccessible, texts::kTitleDriveResult};
}

uint32_t RetryPause(double r) {
  return static_cast<uint32_t>(RoundHalfEven(r * 91 + 10));
}

double RandomGenerator::Next() {
  // splitmix64; the top 53 bits make the fraction.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

void RandomGenerator::Seed(uint64_t seed) {
  state_ = seed;
}

AutoExit RunAutoCheck(AutoArgs& args, AutoCheckHost& host) {
  // A threshold without a finite value is no usable threshold: the run goes on as
  // without one, never comparing against or logging an infinite limit.
  if (!std::isfinite(args.size)) args.size = 0;
  try {
    bool failed = false;
    Outcome o = args.disk.empty() ? DirCheck(args, host) : DriveCheck(args, host, failed);
    if (!failed) {
      Log(args, o, host);
      return o.exitCode;
    }
  } catch (...) {  // a check that fails in any way ends as a drive that cannot be read
  }
  try {
    host.ShowWarning(DriveNotAccessibleMessage(args.disk));
  } catch (...) {  // a message that cannot be shown leaves the exit code alone
  }
  return kExitNotFound;
}

}  // namespace velmora
