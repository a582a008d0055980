// How the setup program and the uninstaller change Velmora's program folder without ever
// leaving it part old and part new.
//
// A journal file in the folder says what a run is doing, before it does it:
//   staging    the new files are being written beside the old ones as NAME.new;
//   swapping   the old files are being renamed to NAME.old and the new ones into place
//              (an uninstall sets the old ones aside and puts nothing in place);
//   committed  every new file is in place and verified; the NAME.old files go.
// A run that stops anywhere (a failure, a full disk, a killed process, a power cut
// after the journal reached the disk) leaves a folder that Recover returns to one
// version: the old one unless the journal says committed, the new one after that.
// Velmora.ini and the logs are not among the names and are never touched.
//
// Portable: the file system comes in through FolderFiles, names relative to the folder.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::setup {

inline constexpr std::wstring_view kJournalName = L"Velmora-setup.journal";
inline constexpr std::wstring_view kProgramName = L"Velmora.exe";
inline constexpr std::wstring_view kUninstallerName = L"Uninstall.exe";
inline constexpr std::wstring_view kSettingsName = L"Velmora.ini";
inline constexpr std::wstring_view kNewSuffix = L".new";
inline constexpr std::wstring_view kOldSuffix = L".old";

// What a file holds, to tell the file put in place from any other.
struct Fingerprint {
  uint64_t size = 0;
  uint64_t hash = 0;
  bool operator==(const Fingerprint&) const = default;
};

// FNV-1a, 64 bits, continued over `bytes` from `hash` (start with kFingerprintStart).
inline constexpr uint64_t kFingerprintStart = 14695981039346656037ull;
uint64_t FingerprintHash(uint64_t hash, std::string_view bytes);

enum class Phase { kStaging, kSwapping, kCommitted };

struct Journal {
  Phase phase = Phase::kStaging;
  // Folders this run made, in the order made: "" is the program folder itself (with
  // `levels` - 1 folders above it), any other name one folder inside it.
  struct Made {
    std::wstring name;
    int levels = 1;
  };
  std::vector<Made> made;
  // The files to put in place, with what their NAME.new held when the swap began.
  struct Added {
    std::wstring name;
    Fingerprint fingerprint;
  };
  std::vector<Added> added;
  // The files that existed when the swap began: each is, or was, set aside as NAME.old.
  std::vector<std::wstring> replaced;
};

std::wstring JournalText(const Journal& journal);
// Nothing when the text is not a journal this code wrote.
std::optional<Journal> ParseJournal(std::wstring_view text);

// The program folder's files as the swap sees them. Each call does one thing and says
// whether it was done.
class FolderFiles {
 public:
  virtual ~FolderFiles() = default;
  virtual bool Exists(const std::wstring& name) = 0;
  // Renames a file; fails when `to` exists.
  virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
  // Deletes a file, a read-only one too; true when no file of that name is left.
  virtual bool Delete(const std::wstring& name) = 0;
  virtual std::optional<Fingerprint> FingerprintOf(const std::wstring& name) = 0;
  // Makes a folder where it is missing: "" the program folder with any missing folders
  // above it, any other name one folder inside it. How many folders it made (0 when
  // it existed), nothing when it could not.
  virtual std::optional<int> MakeFolder(const std::wstring& name) = 0;
  // Removes an empty folder; for "" the program folder and then up to `levels` - 1
  // empty folders above it. False when one could not go.
  virtual bool RemoveFolder(const std::wstring& name, int levels) = 0;
  // The journal: absent (an empty optional inside), or its text; nothing when it
  // exists and cannot be read.
  virtual std::optional<std::optional<std::wstring>> ReadJournal() = 0;
  // Replaces the journal whole: afterwards it holds the old text or the new one.
  virtual bool WriteJournal(const std::wstring& text) = 0;
  virtual bool DeleteJournal() = 0;
};

// How a step ended.
enum class Outcome {
  kDone,    // did what was asked
  kUndone,  // could not, and the folder is as it was before the run
  kStuck,   // could not finish or undo everything: the journal stays for Recover
};

// Returns the folder to one version after a run that stopped or gave up: nothing to do
// without a journal; staging drops the new files (and the folders it made), swapping
// puts the old ones back, committed deletes the old ones. kDone when the folder is
// consistent and the journal gone.
Outcome Recover(FolderFiles& files);

// Starts an installation of `names` (recover first): makes the folder and the folders
// the names need, and records them with the names in the journal (staging). kUndone
// when it cannot, or when a NAME.new or NAME.old of another run is in the way.
Outcome BeginStaging(FolderFiles& files, const std::vector<std::wstring>& names);

// Puts the staged files in place: sets the old ones aside, renames the new ones in,
// verifies each against its fingerprint, commits and deletes the old ones.
// kDone: the new version is in place (an old file that cannot be deleted yet stays as
// NAME.old with the committed journal; `leftovers` says so). kUndone: the old files are
// back, the new ones gone. kStuck: not everything could be put back.
struct SwapResult {
  Outcome outcome;
  bool leftovers = false;
};
SwapResult Swap(FolderFiles& files);

// Uninstall, first half: sets the present files among `names` aside (the journal says
// swapping, with nothing to put in place). kUndone when one could not be moved.
Outcome SetAside(FolderFiles& files, const std::vector<std::wstring>& names);
// Second half, once nothing else stops the uninstall: commits and deletes the files set
// aside. kStuck when one is left (the journal stays committed).
Outcome Commit(FolderFiles& files);
// Instead of Commit: puts the files set aside back.
Outcome Undo(FolderFiles& files);

// What a folder chosen for installing holds.
enum class FolderKind {
  kEmpty,    // missing or empty: Velmora may go there
  kVelmora,  // an installation of Velmora, or nothing but Velmora's own files
  kOther,    // holds files that are not Velmora's
};
// From the names in the folder (a folder's entries as "images\x.png" below it; only
// the folders among `names` need be listed). An installation is a folder with both
// Velmora.exe and Uninstall.exe, or with a journal (a run that stopped); any other folder
// is Velmora's only when it holds nothing but what an uninstall keeps: Velmora.ini,
// check logs (`isCheckLog` reads a file's first line) and empty folders of `names`. A
// file named like one of the program's files may be the user's, and is not taken.
FolderKind ClassifyFolder(const std::vector<std::wstring>& entries, const std::vector<std::wstring>& names,
                          const std::function<bool(const std::wstring&)>& isCheckLog);

}  // namespace velmora::setup
