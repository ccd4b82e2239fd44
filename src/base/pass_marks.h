// Pass marks: named points in a frame's drawing at which a profiler, when one is installed, takes
// the time of the pass that just ended. Units: none here; the handler decides. Cost: one pointer
// test per mark while no handler is installed (always, outside --pass-profile).
#pragma once

namespace vorn {

using VornPassMarkHandler = void (*)(const char* pass);

// Installs (or, with nullptr, removes) the one handler every mark calls.
void setPassMarkHandler(VornPassMarkHandler handler);

// The drawing of `pass` ends here. `pass` must be a string literal (kept, not copied).
void markPass(const char* pass);

}  // namespace vorn
