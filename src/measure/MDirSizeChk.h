// Used size of a directory tree: the total length of every file below it, summed as
// exact 64-bit byte counts while the tree is walked depth first.
//
// Rules of the walk:
// - One listing per directory serves both its subdirectory list and its own sum.
// - A directory's own entries are added before any of its subdirectories is entered;
//   subdirectories are entered in listing order.
// - Every entry except "." and ".." adds its reported length (hidden and system files
//   too, names beginning with a full stop too); a subdirectory's own entry adds 0.
// - A subdirectory whose name begins with a full stop is not entered, nor is a link: a
//   reparse point that is a name surrogate (symbolic link, junction, mount point), or
//   one with the tag 0, which is how Wine shows a Linux symbolic link. Other reparse
//   points (cloud-file and virtualisation placeholders) are entered.
// - A subdirectory that is the same directory as one above it (a loop the system does
//   not mark, such as a server-side link seen over a network share) is not entered
//   either. Its identity comes from its parent's listing, or, where that gives none,
//   from the directory itself, taken before it is listed.
// - A subdirectory the system refuses to open (no permission, gone since its parent was
//   listed) adds nothing; the walk goes on. The measured directory itself refused means
//   the tree is not measured.
// - A total means the whole tree was read: a listing anywhere that breaks off with an
//   error other than its end, and an exception anywhere in the walk, make the tree not
//   measured.
// - The walk yields to the message loop once per directory, once per 101 entries of a
//   listing and once per 101 descents from one directory.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "measure/SizeUnit.h"

namespace velmora {

inline constexpr uint32_t kAttrReparsePoint = 0x400;
// The bit of a reparse tag that marks a name surrogate (IsReparseTagNameSurrogate).
inline constexpr uint32_t kReparseTagNameSurrogate = 0x20000000;
inline constexpr int kEntriesPerYield = 101;

// A subdirectory to enter, with the identity (file ID) its listing reported; 0 when the
// system reports none.
struct ListedDir {
  std::wstring name;
  uint64_t id = 0;
};

// Any volume: an identity that came from a listing, which names no volume.
inline constexpr uint64_t kAnyVolume = ~uint64_t{0};

// A directory's identity: its file ID (file index) and, where known, the serial number
// of its volume.
struct DirId {
  uint64_t file = 0;
  uint64_t volume = kAnyVolume;
};

// What one listing of a directory tells the walk.
struct DirListing {
  bool listed = false;             // false: the system refused to open the directory
  bool broken = false;             // the listing broke off with an error: the tree cannot be read whole
  bool loop = false;               // the directory is one above it: not listed, not entered
  uint64_t bytes = 0;              // the lengths its entries add
  uint64_t entries = 0;            // every entry reported, "." and ".." included
  DirId id;                        // the directory's own identity (from itself or its "." entry), or 0
  std::vector<ListedDir> subDirs;  // the directories to enter, in listing order
};

// Adds one entry, as the system reported it, to a listing. `reparseTag` matters only
// for reparse points; `id` is the entry's file ID (0: none reported).
void AddListedEntry(DirListing& listing, std::wstring_view name, uint32_t attributes, uint64_t length,
                    uint32_t reparseTag = 0, uint64_t id = 0);

// Whether a file ID names a directory (0 and all ones mean the system gave none).
inline bool KnownDirId(uint64_t id) {
  return id != 0 && id != ~uint64_t{0};
}
inline bool KnownDirId(const DirId& id) {
  return KnownDirId(id.file);
}
// Whether two known identities name one directory (volumes compared where both are known).
inline bool SameDir(const DirId& a, const DirId& b) {
  return KnownDirId(a) && a.file == b.file &&
         (a.volume == kAnyVolume || b.volume == kAnyVolume || a.volume == b.volume);
}
// A listed directory's identity: its own, else what its parent reported.
inline DirId OwnDirId(const DirListing& listing, uint64_t reportedId) {
  return KnownDirId(listing.id) ? listing.id : DirId{reportedId};
}

// The directories above one to be listed, for the lister to tell a loop by.
class DirsAbove {
 public:
  virtual bool Holds(const DirId& id) const = 0;

 protected:
  ~DirsAbove() = default;
};

// The path of an entry of a directory: dirPath & "\" & name.
std::wstring ChildPath(const std::wstring& dirPath, const std::wstring& name);

// What the walk asks of the system.
class DirWalkHost {
 public:
  virtual ~DirWalkHost() = default;
  // True when dirPath names an existing directory (DirFind with the directory bit).
  virtual bool Exists(const std::wstring& dirPath) = 0;
  // The path the walk lists the measured directory by and appends the listed names to.
  virtual std::wstring WalkRoot(const std::wstring& dirPath) { return dirPath; }
  // The listing of dirPath & "\" & pattern. `reportedId` is the directory's identity in
  // its parent's listing; where that is unknown, the lister takes the directory's own
  // before listing it, and one that `above` holds is not listed (`loop`).
  virtual DirListing List(const std::wstring& dirPath, const std::wstring& pattern, uint64_t reportedId,
                          const DirsAbove& above) = 0;
  // Processes pending window messages.
  virtual void ProcessMessages() = 0;
};

// Adds one directory's listing to `size`, yielding once per 101 entries.
bool FileSizeSum(const DirListing& listing, uint64_t& size, DirWalkHost& host);

// Walks the tree under dirPath (only dirPath itself when subDirs is false), adding to
// `size`. False when dirPath itself could not be listed or summed, or a listing anywhere
// broke off; a subdirectory that cannot be opened is passed over. Exceptions leave it.
// Memory grows with the depth of the tree, never with the number of its entries.
bool DirSizeSub(const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, uint64_t& size,
                DirWalkHost& host);

// The used size of dirPath (no trailing backslash) in the unit. `size` is 0 on entry and holds the total reached also
// after a failure. False when dirPath is not an existing directory, or the tree could not be read whole (the directory
// refused, a listing broken off, an exception anywhere).
bool DirSizeChk(SizeUnit unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                DirWalkHost& host);

// The same on the running system (Windows only). This thread touches no file: the
// existence check and every listing are made by worker threads (ListingScheduler.h),
// the listings ahead of the walk, and this thread takes them in the walk's order,
// processing window messages through `yield` while it waits. `yield` also runs at the
// walk's fixed yield points. The measured directory is made a full path once; every
// directory is then opened by the long-path form with each name as it was listed.
bool DirSizeChk(SizeUnit unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                const std::function<void()>& yield);

// The used-size label: "パス無し" when not measured; else the kilobytes with
// "###,##0.0" and "KB" below 1024 KB, or the megabytes and "MB" from 1024 KB on (the
// unit chosen before rounding: 1,048,575 bytes show as 1,024.0KB).
std::wstring UsedSizeCaption(bool measured, double kilobytes);

}  // namespace velmora
