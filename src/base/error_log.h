// Error log: every failure the game survives, appended to "err.txt" in the data root.
// Units: two lines a report (header, detail). Cost: one open/close a report; never per frame.
#pragma once

#include <string>

namespace vorn {

// Where reports go; "err.txt" unless a test points it elsewhere.
void setErrorLogPath(const std::string& path);
const std::string& errorLogPath();

// Writes header and detail exactly as given (callers supply line ends): a
// header naming the class and method and one tab-indented detail line, e.g.
//   "Error VornTexture::loadBMP \n"
//   "\tfile not found: data/textures/x.bmp\n"
// The file is opened, written and closed for each report and never truncated,
// so the log survives a crash right after the report.
void appendErrorLog(const std::string& header, const std::string& detail);

// Header "Error <where> \n", detail formatted printf-style from a literal that
// carries its own "\t" prefix and "\n" (bounded: a detail is cut at 1 KiB).
void logError(const char* where, const char* detailFormat, ...)
    __attribute__((format(printf, 2, 3)));

// The same with a header written exactly as given (for the few headers that
// do not follow the "Error <where> \n" form).
void logErrorRaw(const char* header, const char* detailFormat, ...)
    __attribute__((format(printf, 2, 3)));

}  // namespace vorn
