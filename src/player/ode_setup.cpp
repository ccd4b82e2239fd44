#include "player/ode_setup.h"

#include <ode/ode.h>

#include <mutex>

namespace vorn {

void ensureOdeReady() {
  static std::once_flag once;
  std::call_once(once, [] { dInitODE2(0); });
  // Trimesh collision keeps per-thread caches; allocating them again on a
  // thread that has them is a cheap no-op.
  thread_local bool threadReady = false;
  if (!threadReady) {
    dAllocateODEDataForThread(dAllocateMaskAll);
    threadReady = true;
  }
}

}  // namespace vorn
