#include "assets/image_files.h"

#include <gtest/gtest.h>

#include "assetgen/image_write.h"
#include "assets/image_test_util.h"

namespace vorn {
namespace {

using ImageFilesTest = test::ErrLogFixture;

TEST(ImageFiles, ReaderChosenByTheLastThreeCharactersInAnyCase) {
  EXPECT_EQ(chooseImageReader("a/Photo.BMP").format, ImageFormat::BMP);
  EXPECT_EQ(chooseImageReader("x.gif").format, ImageFormat::GIF);
  EXPECT_EQ(chooseImageReader("x.Tga").format, ImageFormat::TGA);
  EXPECT_EQ(chooseImageReader("map.rgb").format, ImageFormat::SGI);
  EXPECT_EQ(chooseImageReader("map.SGI").format, ImageFormat::SGI);
  EXPECT_EQ(chooseImageReader("a/Photo.BMP").path, "a/Photo.BMP");
  const ReaderChoice jpg = chooseImageReader("data/textures/stone.jpg");
  EXPECT_EQ(jpg.format, ImageFormat::TGA);
  EXPECT_EQ(jpg.path, "data/textures/stone.tga");
  EXPECT_EQ(chooseImageReader("ab").path, "ab");  // too short to have an extension
}

TEST(ImageFiles, CacheNamesAreLowerCase) {
  EXPECT_EQ(textureCacheName("Data/Textures/Photo.BMP"), "data/textures/photo.bmp");
  EXPECT_EQ(textureCacheName("snow4.tga"), "snow4.tga");
}

TEST_F(ImageFilesTest, MissingFileLogsUnderTheReadersHeader) {
  VornImage image;
  EXPECT_EQ(readImageFile(ImageFormat::BMP, "no/such.bmp", image), 1);
  EXPECT_EQ(readImageFile(ImageFormat::TGA, "no/such.tga", image), 1);
  EXPECT_EQ(readImageFile(ImageFormat::SGI, "no/such.rgb", image), 1);
  EXPECT_EQ(readImageFile(ImageFormat::GIF, "no/such.gif", image), 1);
  EXPECT_EQ(errLog(),
            "Error VornTexture::loadBMP \n\tfile not found: no/such.bmp\n"
            "Error VornTexture::loadTGA \n\tfile not found: no/such.tga\n"
            "Error VornTexture::loadRGB \n\tfile not found: no/such.rgb\n"
            "Error VornTexture::loadGIF \n\tfile not found: no/such.gif\n");
}

TEST_F(ImageFilesTest, DecodeFailuresAndSuccessesThroughFiles) {
  const std::string tga = tempPath("vorn_grey.tga");
  test::Bytes grey;
  grey.u8(0).u8(0).u8(3).zeros(9).le16(1).le16(1).u8(8).u8(0).u8(0);
  test::writeBytes(tga, grey.data);
  VornImage image;
  EXPECT_EQ(readImageFile(ImageFormat::TGA, tga, image), 1);
  EXPECT_EQ(errLog(), "Error VornTexture::loadTGA \n\tunknown file type 3\n");

  const std::string bmp = tempPath("vorn_ok.bmp");
  assetgen::Pixels pixels(4, 4, 3);
  test::writeBytes(bmp, assetgen::writeBMP24(pixels));
  EXPECT_EQ(readImageFile(ImageFormat::BMP, bmp, image), 0);
  EXPECT_EQ(image.width, 4u);
  EXPECT_EQ(readBMPAlphaFile(bmp, image), 0);
  EXPECT_EQ(image.format, kImageRGBA);
  EXPECT_EQ(readBMPMaskedFiles(bmp, tempPath("no_mask.bmp"), image), 1);
  EXPECT_NE(errLog().find("Error VornTexture::loadBMP \n\tfile not found: " + tempPath("no_mask.bmp") + "\n"),
            std::string::npos);
  std::remove(tga.c_str());
  std::remove(bmp.c_str());
}

TEST_F(ImageFilesTest, JpegMarkerListingGoesToTheReport) {
  const std::string jpg = tempPath("vorn_markers.jpg");
  const std::string report = tempPath("vorn_rep.txt");
  std::remove(report.c_str());
  test::Bytes b;
  b.list({0xFF, 0xD8, 0xFF, 0xE0}).be16(16).str("JFIF").u8(0).list({1, 2, 1}).be16(72).be16(72).list({0, 0});
  b.list({0xFF, 0xFE}).be16(6).str("hey!");
  b.list({0xFF, 0xDB}).be16(4).list({0, 0});
  b.list({0xFF, 0xD9});
  test::writeBytes(jpg, b.data);
  EXPECT_EQ(dumpJPGMarkers(jpg, report), 0);
  EXPECT_EQ(test::readText(report),
            "start\nAPP0 identifier JFIF\nAPP0 version 1.02\nAPP0 units 1\nAPP0 density 72 x 72\n"
            "APP0 thumbnail 0 x 0\ncomment hey!\nmarker DB length 4\nmarker D9 end\n");
  EXPECT_EQ(errLog(), "");

  test::writeBytes(jpg, {'G', 'I', 'F'});
  EXPECT_EQ(dumpJPGMarkers(jpg, report), 1);
  EXPECT_EQ(errLog(), "Error VornTexture::loadJPG \n\tnot jpg data file\n");
  std::remove(jpg.c_str());
  std::remove(report.c_str());
}

}  // namespace
}  // namespace vorn
