// ODE set-up for collision queries: the one global initialisation and the per-thread caches.
// Units: none. Cost: a flag test a call after the first on each thread.
#pragma once

namespace vorn {

// Makes sure ODE is initialised for collision on the calling thread. Safe to
// call any number of times from any thread.
void ensureOdeReady();

}  // namespace vorn
