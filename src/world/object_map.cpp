#include "world/object_map.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>

#include "base/byte_reader.h"
#include "base/error_log.h"
#include "base/text_format.h"
#include "world/material_map.h"

namespace vorn {
namespace {

constexpr const char* kLineScanHeader = "VornAddObject::VornAddObject(char *line) \n";
constexpr const char* kLoadObjects = "VornWorld::loadObjects";
constexpr int kShortPlacementFields = 5;
constexpr int kFullPlacementFields = 8;

// Reads the fields of one line the way "%d", "%f" and "%s" would, but only
// finite numbers in range and never past the line: a field that does not
// read stops the scan, so the count of fields read is what the reports give.
class FieldScanner {
 public:
  explicit FieldScanner(const std::string& line) : p_(line.c_str()) {}

  bool integer(int& value) {
    skipSpace();
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(p_, &end, 10);
    if (end == p_ || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    p_ = end;
    value = static_cast<int>(v);
    return true;
  }
  bool real(float& value) {
    skipSpace();
    char* end = nullptr;
    const float v = std::strtof(p_, &end);
    // "nan", "inf" and numbers beyond float would poison the transform and
    // the collision box.
    if (end == p_ || !std::isfinite(v)) return false;
    p_ = end;
    value = v;
    return true;
  }
  bool word(std::string& value) {
    skipSpace();
    const char* start = p_;
    while (*p_ != '\0' && !isSpace(*p_)) ++p_;
    if (p_ == start) return false;
    value.assign(start, p_);
    return true;
  }
  bool colourByte(uint8_t& value) {
    const char* before = p_;
    int v = 0;
    if (!integer(v)) return false;
    if (v < 0 || v > 255) {
      p_ = before;
      return false;
    }
    value = static_cast<uint8_t>(v);
    return true;
  }

 private:
  static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
  void skipSpace() {
    while (isSpace(*p_)) ++p_;
  }

  const char* p_;
};

void reportScan(int fieldsRead) {
  logErrorRaw(kLineScanHeader, "\terror during line scan only %d elemts read\n", fieldsRead);
}

size_t heldRecords(const VornKindList& kinds) {
  size_t n = 0;
  for (const VornAddObject& kind : kinds) n += kind.records.size();
  return n;
}

}  // namespace

VornAddObject::VornAddObject(const std::string& line, const VornModelLookup& lookup) {
  FieldScanner scan(line);
  std::string name;
  int fields = 0;
  auto counted = [&fields](bool read) { return read && ++fields > 0; };
  const bool all = counted(scan.integer(id)) && counted(scan.word(name)) && counted(scan.colourByte(red)) &&
                   counted(scan.colourByte(green)) && counted(scan.colourByte(blue));
  if (!all) {
    reportScan(fields);
    return;
  }
  scanned = true;
  modelPath = kObjectModelFolder + name;
  modelIndex = lookup(modelPath);
}

std::unique_ptr<VornActionObject> VornAddObject::place(float x, float y, float z) {
  auto object = std::make_unique<VornActionObject>(modelIndex);
  object->groundHeight = y;
  VornTransform& t = object->transform;
  if (nextRecord >= 0 && static_cast<size_t>(nextRecord) < records.size()) {
    const VornPlacementRecord& r = records[static_cast<size_t>(nextRecord)];
    t.setScale(r.scale);
    if (r.rotateX != 0.0f) t.rotateX(r.rotateX);
    if (r.rotateZ != 0.0f) t.rotateZ(r.rotateZ);
    if (r.rotateY != 0.0f) t.rotateY(r.rotateY);
    t.setPosition(x + r.offsetX, y + r.offsetY, z + r.offsetZ);
  } else {
    t.setPosition(x, y, z);
  }
  object->position = t.position();
  ++nextRecord;
  return object;
}

VornPlacementLine addPlacementLine(const std::string& line, VornKindList& kinds) {
  FieldScanner scan(line);
  int id = 0;
  float values[7] = {};
  int fields = 0;
  if (scan.integer(id)) {
    ++fields;
    for (float& v : values) {
      if (!scan.real(v)) break;
      ++fields;
    }
  }
  if (fields != kShortPlacementFields && fields != kFullPlacementFields) {
    reportScan(fields);
    return VornPlacementLine::kRejected;
  }
  const VornPlacementRecord record{values[0], values[1], values[2], values[3], values[4], values[5], values[6]};
  size_t held = heldRecords(kinds);
  for (VornAddObject& kind : kinds) {
    if (kind.id != id) continue;
    if (held >= kMaxPlacementRecords) return VornPlacementLine::kRecordsFull;
    kind.records.push_back(record);
    ++held;
  }
  return VornPlacementLine::kAdded;
}

void readObjectMap(const uint8_t* data, size_t size, const VornModelLookup& lookup, VornKindList& kinds) {
  if (!data) return;
  int state = 0;
  size_t lineNumber = 0;
  bool kindsFullReported = false;
  bool recordsFullReported = false;
  size_t start = 0;
  while (start < size) {
    size_t end = start;
    while (end < size && data[end] != '\n') ++end;
    const size_t next = end < size ? end + 1 : end;
    ++lineNumber;
    // CRLF files read like LF ones.
    size_t length = end - start;
    if (length > 0 && data[start + length - 1] == '\r') --length;
    const char* raw = reinterpret_cast<const char*>(data + start);
    start = next;
    if (length == 0) continue;  // a blank line
    if (raw[0] == '#' && state < INT_MAX) ++state;

    // What a C string reader would see: the text up to a zero byte.
    size_t textLength = 0;
    while (textLength < length && raw[textLength] != '\0') ++textLength;
    const std::string line(raw, textLength);
    const bool tooLong = length > kObjectMapLineLimit;

    switch (state) {
      case 0:
        break;
      case 1:
        state = 2;
        break;
      case 3:
        state = 4;
        break;
      case 2:
      case 4:
        if (tooLong) {
          logError(kLoadObjects, "\tline %zu longer than %zu characters: dropped\n", lineNumber, kObjectMapLineLimit);
        } else if (state == 2) {
          if (kinds.size() >= kMaxObjectKinds) {
            if (!kindsFullReported) {
              logError(kLoadObjects, "\tmore than %zu kinds: line %zu and further kinds dropped\n", kMaxObjectKinds,
                       lineNumber);
            }
            kindsFullReported = true;
          } else {
            kinds.emplace_back(line, lookup);
          }
        } else if (addPlacementLine(line, kinds) == VornPlacementLine::kRecordsFull && !recordsFullReported) {
          logError(kLoadObjects, "\tmore than %zu placement records: line %zu and further records dropped\n",
                   kMaxPlacementRecords, lineNumber);
          recordsFullReported = true;
        }
        break;
      default:
        logError(kLoadObjects, "\tunknown state: %d\n", state);
        break;
    }
  }
}

bool decodePlacementImage(const uint8_t* data, size_t size, const std::string& fileName, VornPlacementImage& out,
                          std::string& detail) {
  out = VornPlacementImage();
  ByteReader in(data, size);
  MapBmpHeader header;
  if (!readMapBmpHeader(in, fileName, header, detail)) return false;
  if (header.width < 0 || header.height < 0) {
    detail = formatText("\tplacement image %d x %d is stored top-down or damaged: %s\n", header.width,
                        header.height, fileName.c_str());
    return false;
  }
  const uint8_t* pixels = takeMapBmpPixels(in, header);
  if (!pixels) {
    detail = formatText("\tfile truncated: %s\n", fileName.c_str());
    return false;
  }
  out.width = header.width;
  out.height = header.height;
  out.pixels.assign(pixels, pixels + static_cast<size_t>(header.width) * static_cast<size_t>(header.height) * 3);
  detail.clear();
  return true;
}

VornPlacementPlan planPlacements(const VornPlacementImage& image, const VornKindList& kinds, size_t modelCount,
                                 int gridWidth, int gridHeight, float spacingX, float spacingZ) {
  VornPlacementPlan plan;
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3) {
    return plan;
  }
  // In double: (width - 1 - c) * W alone can pass the int range.
  const double toX = static_cast<double>(gridWidth) * spacingX / image.width;
  const double toZ = static_cast<double>(gridHeight) * spacingZ / image.height;
  const uint8_t* p = image.pixels.data();
  for (int r = 0; r < image.height; ++r) {
    const float z = static_cast<float>(r * toZ);
    for (int c = 0; c < image.width; ++c, p += 3) {
      const uint8_t blue = p[0], green = p[1], red = p[2];
      if (red == 0 && green == 0 && blue == 0) continue;
      const float x = static_cast<float>(static_cast<double>(image.width - 1 - c) * toX);
      for (size_t k = 0; k < kinds.size(); ++k) {
        const VornAddObject& kind = kinds[k];
        if (!kind.scanned || kind.red != red || kind.green != green || kind.blue != blue) continue;
        if (kind.modelIndex < 0 || static_cast<size_t>(kind.modelIndex) >= modelCount) continue;
        if (plan.placements.size() >= kMaxPlacedObjects) {
          plan.capped = true;
          return plan;
        }
        plan.placements.push_back({k, x, z});
      }
    }
  }
  return plan;
}

void placeAll(const VornPlacementPlan& plan, VornKindList& kinds,
              const std::function<float(float, float)>& groundHeight,
              VornActionObjectList& objects) {
  for (const VornPlacement& p : plan.placements) {
    if (p.kind >= kinds.size()) continue;
    objects.push_back(kinds[p.kind].place(p.x, groundHeight(p.x, p.z), p.z));
  }
}

std::vector<float> objectBoxSizes(const VornActionObjectList& objects) {
  std::map<int, int> seen;  // objects so far, per model
  std::vector<float> sizes;
  sizes.reserve(objects.size());
  for (const auto& object : objects) {
    const int j = seen[object->modelIndex]++;
    sizes.push_back(j == kFourthObjectIndex ? kFourthObjectBoxSize : kObjectBoxSize);
  }
  return sizes;
}

void buildObjectBoxes(VornActionObjectList& objects, const std::function<float(int modelIndex)>& modelExtentZ) {
  const std::vector<float> sizes = objectBoxSizes(objects);
  for (size_t i = 0; i < objects.size(); ++i) objects[i]->buildBox(sizes[i], modelExtentZ(objects[i]->modelIndex));
}

}  // namespace vorn
