#include "measure/ListingScheduler.h"

namespace velmora {

std::atomic<int>& ListingWorkersAlive() {
  static std::atomic<int> alive{0};
  return alive;
}

}  // namespace velmora
