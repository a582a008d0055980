// The two checks the system makes, and what one of them judged.
#pragma once
#include <cstdint>
#include <optional>

namespace velmora {

// The kind of a check. Its value indexes the main window's control arrays (fraMain,
// cmdTab, txtSize, lblData, cmdShortCut, Label1) and is the kind of a log record.
enum class CheckKind : int16_t {
  kDrive = 0,      // free space of a drive: warns when not above the threshold
  kDirectory = 1,  // used size of a directory tree: warns when not below the threshold
};

// The index of a kind's member in a control array.
constexpr int ControlIndex(CheckKind kind) {
  return static_cast<int>(kind);
}

// The kind whose control-array member has this index; none for any other index.
constexpr std::optional<CheckKind> CheckKindAt(int index) {
  if (index == ControlIndex(CheckKind::kDrive)) return CheckKind::kDrive;
  if (index == ControlIndex(CheckKind::kDirectory)) return CheckKind::kDirectory;
  return std::nullopt;
}

// The judgement of a check that found its target, logged as "OK" or "NG".
enum class CheckResult : int16_t {
  kWarned = 0,  // "NG": the threshold was crossed
  kPassed = 1,  // "OK"
};

}  // namespace velmora
