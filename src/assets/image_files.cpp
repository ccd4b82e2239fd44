#include "assets/image_files.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>

#include "base/error_log.h"
#include "assets/bmp_codec.h"
#include "assets/gif_reader.h"
#include "assets/jpg_markers.h"
#include "assets/sgi_reader.h"
#include "assets/tga_reader.h"

namespace vorn {
namespace {

std::string lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

const char* loaderName(ImageFormat format) {
  switch (format) {
    case ImageFormat::BMP: return "VornTexture::loadBMP";
    case ImageFormat::GIF: return "VornTexture::loadGIF";
    case ImageFormat::TGA: return "VornTexture::loadTGA";
    default: return "VornTexture::loadRGB";
  }
}

// Reads the file or logs "file not found" under `where`.
bool readOrLog(const char* where, const std::string& fileName, std::vector<uint8_t>& bytes) {
  if (readFileBytes(fileName, bytes)) return true;
  logError(where, "\tfile not found: %s\n", fileName.c_str());
  return false;
}

}  // namespace

ReaderChoice chooseImageReader(const std::string& fileName) {
  ReaderChoice choice;
  choice.path = fileName;
  if (fileName.size() < 3) return choice;  // no extension to go by: try it as it is
  const std::string ext = lower(fileName.substr(fileName.size() - 3));
  if (ext == "bmp") {
    choice.format = ImageFormat::BMP;
  } else if (ext == "gif") {
    choice.format = ImageFormat::GIF;
  } else if (ext == "tga") {
    choice.format = ImageFormat::TGA;
  } else if (ext == "rgb" || ext == "sgi") {
    choice.format = ImageFormat::SGI;
  } else {
    choice.path = fileName.substr(0, fileName.size() - 3) + "tga";
  }
  return choice;
}

std::string textureCacheName(const std::string& fileName) { return lower(fileName); }

bool readFileBytes(const std::string& fileName, std::vector<uint8_t>& bytes) {
  bytes.clear();
  struct stat info {};
  if (stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<uint64_t>(info.st_size) > kMaxImageFileBytes) {
    return false;
  }
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  bytes.resize(static_cast<size_t>(info.st_size));
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  bytes.resize(got);  // a file that shrank meanwhile is judged on what was read
  return true;
}

int readImageFile(ImageFormat format, const std::string& fileName, VornImage& image) {
  const char* where = loaderName(format);
  std::vector<uint8_t> bytes;
  if (!readOrLog(where, fileName, bytes)) return 1;
  std::string detail;
  bool ok = false;
  switch (format) {
    case ImageFormat::BMP: ok = decodeBMP(bytes.data(), bytes.size(), fileName, image, detail); break;
    case ImageFormat::GIF: ok = decodeGIF(bytes.data(), bytes.size(), fileName, image, detail); break;
    case ImageFormat::TGA: ok = decodeTGA(bytes.data(), bytes.size(), fileName, image, detail); break;
    case ImageFormat::SGI: ok = decodeSGI(bytes.data(), bytes.size(), fileName, image, detail); break;
  }
  if (ok) return 0;
  logError(where, "%s", detail.c_str());
  return 1;
}

int readBMPAlphaFile(const std::string& fileName, VornImage& image) {
  std::vector<uint8_t> bytes;
  if (!readOrLog("VornTexture::loadBMP", fileName, bytes)) return 1;
  std::string detail;
  if (decodeBMPAlpha(bytes.data(), bytes.size(), fileName, image, detail)) return 0;
  logError("VornTexture::loadBMP", "%s", detail.c_str());
  return 1;
}

int readBMPMaskedFiles(const std::string& fileName, const std::string& maskName, VornImage& image) {
  std::vector<uint8_t> colour, mask;
  if (!readOrLog("VornTexture::loadBMP", fileName, colour)) return 1;
  if (!readOrLog("VornTexture::loadBMP", maskName, mask)) return 1;
  std::string detail;
  if (decodeBMPMasked(colour.data(), colour.size(), fileName, mask.data(), mask.size(), maskName, image, detail)) {
    return 0;
  }
  logError("VornTexture::loadBMP", "%s", detail.c_str());
  return 1;
}

int dumpJPGMarkers(const std::string& fileName, const std::string& reportPath) {
  std::string report = "start\n";
  std::vector<uint8_t> bytes;
  std::string detail;
  int result = 0;
  if (!readFileBytes(fileName, bytes)) {
    detail = "\tfile not found: " + fileName + "\n";
    result = 1;
  } else if (!describeJPGMarkers(bytes.data(), bytes.size(), fileName, report, detail)) {
    result = 1;
  }
  if (std::FILE* f = std::fopen(reportPath.c_str(), "a")) {
    std::fputs(report.c_str(), f);
    std::fclose(f);
  }
  if (result != 0) logError("VornTexture::loadJPG", "%s", detail.c_str());
  return result;
}

}  // namespace vorn
