// The automatic check run: one check of one drive or directory against one threshold,
// a warning when it is crossed or the target is missing, one record in the log.
#pragma once
#include <cstdint>
#include <string>

#include "base/CheckKind.h"

namespace velmora {

// Process exit codes of an automatic run.
enum AutoExit : int {
  kExitPassed = 0,    // the check passed
  kExitWarned = 1,    // a threshold warning was shown
  kExitNotFound = 2,  // the target was not found or not accessible
  kExitNotRun = 3,    // no check ran to its end (the window could not be made, the
                      // Windows session ended first, or the process was told to quit
                      // before the check); nothing was logged
};

// Calls of LogWrite at most; each failed one is followed by a pause and a re-seeding.
inline constexpr int kLogAttempts = 11;

// What a root listing of a drive found.
enum class RootListing {
  kEntries,  // at least one subdirectory or ordinary file
  kNone,     // nothing listed, or no such path
  kError,    // the drive cannot be read, or the text is no usable drive
};

struct AutoMessage {
  std::wstring text;
  std::wstring title;
};

// The five warnings. `disk` is shown in full-width characters, `limit` in the general
// form, `measured` with "###,##0.0".
AutoMessage DriveBelowMessage(const std::wstring& disk, float limit, float measured);
AutoMessage DriveNotFoundMessage(const std::wstring& disk);
AutoMessage DirAboveMessage(float limit, float measured);
AutoMessage DirNotFoundMessage(const std::wstring& dir);
AutoMessage DriveNotAccessibleMessage(const std::wstring& disk);

// The pause after a failed log write: r x 91 + 10 ms rounded half to even (10 to 101).
uint32_t RetryPause(double r);

// A small pseudo-random generator with a fixed start and re-seeding.
class RandomGenerator {
 public:
  // Uniform in [0, 1).
  double Next();
  void Seed(uint64_t seed);

 private:
  uint64_t state_ = 0x5DEECE66Dull;
};

// What the run asks of the window and the system.
class AutoCheckHost {
 public:
  virtual ~AutoCheckHost() = default;
  virtual RootListing ListRoot(const std::wstring& rootPath) = 0;
  virtual float AkiSizeDisp(const std::wstring& driveLetter) = 0;
  virtual std::wstring DirFind(const std::wstring& path) = 0;  // with the directory bit
  // `measured` false: the directory could not be listed, so nothing was measured.
  virtual float SiyouSizeDisp(const std::wstring& dirPath, bool& measured) = 0;
  // A modal box with OK and the stop icon; returns when the user has closed it.
  virtual void ShowWarning(const AutoMessage& message) = 0;
  virtual bool LogWrite(CheckKind kind, bool found, const std::wstring& target, float size, float limit,
                        CheckResult result) = 0;
  virtual double Rnd() = 0;
  virtual void Randomize() = 0;  // re-seeds the generator from the time of day
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// The run's values: `disk` empty means a directory check; a directory check replaces
// `disk` with the directory's own name (empty when it does not exist). A `size` that is
// not finite is taken as 0, the value of a missing threshold.
struct AutoArgs {
  std::wstring disk;
  std::wstring dir;
  float size = 0;
};

// Runs the check and returns the process exit code. Never throws: any failure that a
// called step does not handle itself ends in the drive-not-accessible warning.
AutoExit RunAutoCheck(AutoArgs& args, AutoCheckHost& host);

}  // namespace velmora
