#include "base/text_format.h"

#include <cstdio>

namespace vorn {

std::string formatTextV(const char* format, va_list args) {
  char buffer[kMaxFormattedText];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return std::string();
  return std::string(buffer);  // vsnprintf cut it to the buffer if longer
}

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatTextV(format, args);
  va_end(args);
  return text;
}

void appendText(std::string* out, const char* format, ...) {
  if (!out) return;
  va_list args;
  va_start(args, format);
  out->append(formatTextV(format, args));
  va_end(args);
}

}  // namespace vorn
