#include "base/pass_marks.h"

namespace vorn {
namespace {
VornPassMarkHandler passHandler = nullptr;
}  // namespace

void setPassMarkHandler(VornPassMarkHandler handler) { passHandler = handler; }

void markPass(const char* pass) {
  if (passHandler) passHandler(pass);
}

}  // namespace vorn
