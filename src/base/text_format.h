// printf-style formatting into std::string for err.txt details and the text
// dumps. Units: bytes; one text is cut at kMaxFormattedText - 1 bytes.
// Cost: one stack buffer and one string allocation a call.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace vorn {

constexpr size_t kMaxFormattedText = 1024;

std::string formatTextV(const char* format, va_list args);
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends to *out; does nothing when out is null (a dump nobody asked for).
void appendText(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace vorn
