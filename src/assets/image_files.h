// Image files on disk: whole-file reads, the reader chosen by extension, the cache's naming rule
// and the readers run on a file; all a texture load does short of the upload (no GL context).
// Units: bytes, file names. Cost: the file is read once into memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/image.h"

namespace vorn {

// Files above this size are refused rather than read into memory.
constexpr uint64_t kMaxImageFileBytes = uint64_t{1} << 30;

enum class ImageFormat { BMP, GIF, TGA, SGI };

struct ReaderChoice {
  ImageFormat format = ImageFormat::TGA;
  std::string path;  // the file actually opened
};

// By the last three characters, compared in lower case: "bmp", "gif",
// "tga", "rgb"/"sgi". Any other name is read as a TGA of the same name with
// its last three characters replaced by "tga" (stone.jpg -> stone.tga).
ReaderChoice chooseImageReader(const std::string& fileName);

// The name under which the cache keeps a texture: the file name in lower case.
std::string textureCacheName(const std::string& fileName);

// Whole file into `bytes`; false (bytes empty) when it cannot be opened, is
// not a regular file or is larger than kMaxImageFileBytes.
bool readFileBytes(const std::string& fileName, std::vector<uint8_t>& bytes);

// Each returns 0 with `image` filled, or 1 after appending the failure to
// err.txt under the texture loader's headers ("Error VornTexture::loadBMP \n"
// and so on).
int readImageFile(ImageFormat format, const std::string& fileName, VornImage& image);
int readBMPAlphaFile(const std::string& fileName, VornImage& image);
int readBMPMaskedFiles(const std::string& fileName, const std::string& maskName, VornImage& image);

// Appends "start\n" and the marker listing of a JPEG file to `reportPath`;
// 0, or 1 after logging under "Error VornTexture::loadJPG \n".
int dumpJPGMarkers(const std::string& fileName, const std::string& reportPath = "rep.txt");

}  // namespace vorn
