// JPEG marker listing for inspection, not a texture reader: describes each marker segment.
// Units: bytes. Cost: one pass over the file; the text grows with the number of markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorn {

// Walks the segments from FF D8 up to FF D9 and appends a description of each
// to `report` (JFIF fields of APP0, comment text, other markers with their
// lengths). Returns false with `detail` set when
// the data is not JPEG or a segment runs past the end of the file.
bool describeJPGMarkers(const uint8_t* data, size_t size, const std::string& name, std::string& report,
                        std::string& detail);

}  // namespace vorn
