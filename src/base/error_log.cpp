#include "base/error_log.h"

#include <cstdarg>
#include <cstdio>

#include "base/text_format.h"

namespace vorn {
namespace {

std::string& logPath() {
  static std::string path = "err.txt";
  return path;
}

}  // namespace

void setErrorLogPath(const std::string& path) { logPath() = path; }
const std::string& errorLogPath() { return logPath(); }

void appendErrorLog(const std::string& header, const std::string& detail) {
  std::FILE* f = std::fopen(logPath().c_str(), "a");
  if (!f) return;  // nowhere to report to; the game goes on regardless
  std::fputs(header.c_str(), f);
  std::fputs(detail.c_str(), f);
  std::fclose(f);
}

void logError(const char* where, const char* detailFormat, ...) {
  va_list args;
  va_start(args, detailFormat);
  const std::string detail = formatTextV(detailFormat, args);
  va_end(args);
  appendErrorLog(std::string("Error ") + where + " \n", detail);
}

void logErrorRaw(const char* header, const char* detailFormat, ...) {
  va_list args;
  va_start(args, detailFormat);
  const std::string detail = formatTextV(detailFormat, args);
  va_end(args);
  appendErrorLog(header, detail);
}

}  // namespace vorn
