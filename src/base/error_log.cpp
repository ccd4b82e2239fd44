#include "base/error_log.h"

#include <cstdarg>
#include <cstdio>

namespace vorn {
namespace {

std::string& logPath() {
  static std::string path = "err.txt";
  return path;
}

std::string formatDetail(const char* format, va_list args) {
  char buffer[1024];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return std::string();
  return std::string(buffer);  // vsnprintf cut it to the buffer if longer
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
  const std::string detail = formatDetail(detailFormat, args);
  va_end(args);
  appendErrorLog(std::string("Error ") + where + " \n", detail);
}

void logErrorRaw(const char* header, const char* detailFormat, ...) {
  va_list args;
  va_start(args, detailFormat);
  const std::string detail = formatDetail(detailFormat, args);
  va_end(args);
  appendErrorLog(header, detail);
}

}  // namespace vorn
