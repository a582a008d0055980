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
// - A subdirectory that is the same directory as one above it (the same identity in the
//   listings: a loop the system does not mark, such as a server-side link seen over a
//   network share) is not entered either.
// - A subdirectory the system refuses to list adds nothing; the walk goes on. The
//   measured directory itself refused means the tree is not measured.
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

// What one listing of a directory tells the walk.
struct DirListing {
  bool listed = false;             // false: the system refused the listing
  uint64_t bytes = 0;              // the lengths its entries add
  uint64_t entries = 0;            // every entry reported, "." and ".." included
  uint64_t id = 0;                 // the directory's own identity (its "." entry), or 0
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
// A listed directory's identity: its own "." entry's, else what its parent reported.
inline uint64_t OwnDirId(const DirListing& listing, uint64_t reportedId) {
  return KnownDirId(listing.id) ? listing.id : reportedId;
}

// The path of an entry of a directory: dirPath & "\" & name.
std::wstring ChildPath(const std::wstring& dirPath, const std::wstring& name);

// What the walk asks of the system.
class DirWalkHost {
 public:
  virtual ~DirWalkHost() = default;
  // True when dirPath names an existing directory (DirFind with the directory bit).
  virtual bool Exists(const std::wstring& dirPath) = 0;
  // The listing of dirPath & "\" & pattern.
  virtual DirListing List(const std::wstring& dirPath, const std::wstring& pattern) = 0;
  // Processes pending window messages.
  virtual void ProcessMessages() = 0;
};

// Adds one directory's listing to `size`, yielding once per 101 entries.
bool FileSizeSum(const DirListing& listing, uint64_t& size, DirWalkHost& host);

// Walks the tree under dirPath (only dirPath itself when subDirs is false), adding to
// `size`. False when dirPath itself could not be listed or summed; failures below it
// are passed over.
// Memory grows with the depth of the tree, never with the number of its entries.
bool DirSizeSub(const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, uint64_t& size,
                DirWalkHost& host);

// The used size of dirPath (no trailing backslash) in the unit. `size` is 0 on entry and holds the total reached also
// after a failure. False when dirPath is not an existing directory, or the system refuses to list it, or its own sum
// failed.
bool DirSizeChk(SizeUnit unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                DirWalkHost& host);

// The same on the running system (Windows only): the listings are made ahead by a
// small pool of worker threads (ListingScheduler.h); this thread takes them in the
// walk's order, lists a directory itself when no worker has started it, and processes
// window messages through `yield` while it waits for one a worker is making. `yield`
// also runs at the walk's fixed yield points.
bool DirSizeChk(SizeUnit unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                const std::function<void()>& yield);

// The used-size label: "パス無し" when not measured; else the kilobytes with
// "###,##0.0" and "KB" below 1024 KB, or the megabytes and "MB" from 1024 KB on (the
// unit chosen before rounding: 1,048,575 bytes show as 1,024.0KB).
std::wstring UsedSizeCaption(bool measured, double kilobytes);

}  // namespace velmora
