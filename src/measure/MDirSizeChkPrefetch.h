// The listing workers of the walk on the running system (Windows only): the scheduling
// of ListingScheduler.h over the system's slim lock, condition variables and threads.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "measure/ListingScheduler.h"
#include "measure/MDirSizeChk.h"

namespace velmora {

class ListingPrefetcher {
 public:
  // `descend`: whether the walk enters subdirectories (else nothing is listed ahead).
  // `pump` processes window messages while the walk waits for a worker's listing.
  // Throws when no worker thread can be started.
  ListingPrefetcher(DirLister lister, bool descend, int workers, std::function<void()> pump,
                    size_t aheadLimit = kAheadLimit);
  ~ListingPrefetcher();  // never waits for a worker
  ListingPrefetcher(const ListingPrefetcher&) = delete;
  ListingPrefetcher& operator=(const ListingPrefetcher&) = delete;

  // The listing of dirPath, the walk's next directory; throws what the listing threw.
  DirListing Take(const std::wstring& dirPath);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Whether a listing worker of any walk, or a call made on a worker, still runs in this
// process (one stopped while inside a slow listing ends when that listing returns).
bool ListingWorkersRunning();

// DirFind made on a worker thread, this thread processing window messages through
// `pump` while it waits. Throws when no thread can be started.
std::wstring DirFindOnWorker(const std::wstring& path, uint16_t attributes, const std::function<void()>& pump);

}  // namespace velmora
