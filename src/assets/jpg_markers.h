// JPEG marker listing for inspection: not a texture reader. Walks the marker
// segments of a JPEG file from FF D8 up to FF D9 and describes each one
// (JFIF fields of APP0, comment text, other markers with their lengths).
// Cost: one pass over the file; the text grows with the number of markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorn {

// Appends the description to `report`; returns false with `detail` set when
// the data is not JPEG or a segment runs past the end of the file.
bool describeJPGMarkers(const uint8_t* data, size_t size, const std::string& name, std::string& report,
                        std::string& detail);

}  // namespace vorn
