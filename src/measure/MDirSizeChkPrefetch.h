// Directory listings made ahead of the walk by a small pool of worker threads.
//
// The walk runs on the window thread and takes its listings here in its own order.
// Each worker takes the next waiting directory, lists it, and queues its
// subdirectories in front of the others, so the workers move through the tree in
// nearly the order the walk will want it. The window thread never lists while
// workers run: it waits for the listing it needs and processes window messages
// meanwhile. Listings made but not yet taken are capped, so memory stays small
// however large the tree is.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "measure/MDirSizeChk.h"

namespace velmora {

using DirLister = DirListing (*)(const std::wstring& dirPath, const std::wstring& pattern);

class ListingPrefetcher {
 public:
  // `descend`: whether the walk enters subdirectories (else nothing is listed ahead).
  // `pump` processes window messages while the window thread waits.
  ListingPrefetcher(DirLister lister, std::wstring pattern, bool descend, int workers, std::function<void()> pump);
  ~ListingPrefetcher();  // stops the workers and waits for them
  ListingPrefetcher(const ListingPrefetcher&) = delete;
  ListingPrefetcher& operator=(const ListingPrefetcher&) = delete;

  // The listing of dirPath, made by a worker or, without workers, here.
  DirListing Take(const std::wstring& dirPath);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
