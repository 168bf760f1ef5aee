// Picture files as other programs write them, and broken ones: the odd but
// valid ones decode to what ImageMagick decodes them to, the broken ones fail
// rather than give made-up pixels, and no decoder writes to the caller's
// standard error.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "ShellText.h"
#include "TestPictures.h"
#include "core/StatusError.h"
#include "decode/PictureFile.h"
#include "pexora/pexora.h"

namespace pexora::test {
namespace {

using pexora::test::ReadFile;

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// ImageMagick's convert, which the tests use as a writer and decoder that
// nobody here made.
void Convert(const std::string& arguments) {
  const std::string command = "convert " + arguments + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

int32_t DecodeCode(const std::string& bytes) {
  try {
    DecodePictureBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return PX_OK;
  } catch (const StatusError& error) {
    return error.code();
  }
}

// The picture, or a failure with the code and an empty picture.
Image Decoded(const std::string& bytes) {
  try {
    return DecodePictureBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  } catch (const StatusError& error) {
    ADD_FAILURE() << "decoding failed with code " << error.code();
    return {};
  }
}

void ExpectSamePixels(const Image& expected, const Image& actual, int tolerance = 0) {
  ASSERT_EQ(expected.width, actual.width);
  ASSERT_EQ(expected.height, actual.height);
  int reported = 0;
  for (int32_t y = 0; y < expected.height; ++y) {
    for (int32_t x = 0; x < expected.width; ++x) {
      const uint32_t e = expected.At(x, y), a = actual.At(x, y);
      const int worst =
          std::max({std::abs(int(AlphaOf(e)) - int(AlphaOf(a))), std::abs(int(RedOf(e)) - int(RedOf(a))),
                    std::abs(int(GreenOf(e)) - int(GreenOf(a))), std::abs(int(BlueOf(e)) - int(BlueOf(a)))});
      if (worst > tolerance && reported++ < 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": expected " << std::hex << e << ", got " << a;
      }
    }
  }
}

// Little-endian bytes.
std::string U16(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }

// A Windows 3 bitmap: file header, 40-byte header, then `extra` (masks or
// palette) and the pixel data.
std::string Bmp(int32_t width, int32_t height, uint32_t bits, uint32_t compression, const std::string& pixels,
                const std::string& extra = "") {
  const uint32_t offset = 14 + 40 + uint32_t(extra.size());
  return "BM" + U32(offset + uint32_t(pixels.size())) + U32(0) + U32(offset) + U32(40) + U32(uint32_t(width)) +
         U32(uint32_t(height)) + U16(1) + U16(bits) + U32(compression) + U32(uint32_t(pixels.size())) + U32(2835) +
         U32(2835) + U32(0) + U32(0) + extra + pixels;
}

std::string GreyPalette() {
  std::string palette;
  for (int i = 0; i < 256; ++i) palette += std::string(3, char(i)) + '\0';
  return palette;
}

// A little-endian TIFF whose one directory holds the given 12-byte entries.
std::string Tiff(const std::vector<std::string>& entries) {
  std::string bytes = "II*" + std::string(1, '\0') + U32(8) + U16(uint32_t(entries.size()));
  for (const std::string& entry : entries) bytes += entry;
  return bytes + U32(0);
}
std::string Short(uint32_t tag, uint32_t value) { return U16(tag) + U16(3) + U32(1) + U16(value) + U16(0); }
std::string Long(uint32_t tag, uint32_t value) { return U16(tag) + U16(4) + U32(1) + U32(value); }

uint32_t TagOf(const std::string& entry) { return uint8_t(entry[0]) | uint32_t{uint8_t(entry[1])} << 8; }

// A grey 8-bit TIFF in one strip; the strip tags only when given.
std::string GreyTiff(uint32_t width, uint32_t height, std::vector<std::string> strips) {
  std::vector<std::string> entries = {Long(256, width), Long(257, height), Short(258, 8),    Short(259, 1),
                                      Short(262, 1),    Short(277, 1),     Long(278, height)};
  entries.insert(entries.end(), strips.begin(), strips.end());
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return TagOf(a) < TagOf(b); });
  return Tiff(entries);
}

class PictureDecodingTest : public ::testing::Test {
 protected:
  std::filesystem::path File(const std::string& name) const { return folder_.File(name); }

  // A picture with every kind of alpha and colour, written as PNG by FreeImage.
  std::filesystem::path Source() {
    Image picture = NaturalPicture(37, 23, 81);
    static const uint32_t alphas[] = {255, 255, 0, 1, 128, 200, 254};
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
      picture.pixels[i] = (picture.pixels[i] & 0x00FFFFFFu) | alphas[i % 7] << 24;
    }
    SavePicture(picture, File("source.png"), FileFormat::kPng);
    return File("source.png");
  }

  // Our decoding of `file` against ImageMagick's decoding of it.
  void ExpectDecodedAsImageMagickDoes(const std::string& file, int tolerance = 0) {
    Convert("'" + File(file).string() + "[0]' PNG32:'" + File(file + ".png").string() + "'");
    ExpectSamePixels(DecodePictureFile(File(file + ".png").string()), DecodePictureFile(File(file).string()),
                     tolerance);
  }

  TempFolder folder_;
};

TEST_F(PictureDecodingTest, BmpOfEveryHeaderVersionAndDepth) {
  const std::string source = Source().string();
  const struct {
    const char* what;
    const char* options;  // for convert
    const char* format;   // convert's prefix of the output name: the header version
    int tolerance;
  } cases[] = {
      {"version 5, 32 bits with an alpha mask", "", "", 0},
      {"version 5, 24 bits", "-alpha off", "", 0},
      {"version 5, 8-bit palette", "-type palette -compress none", "", 0},
      {"version 5, 8-bit palette, RLE8", "-type palette", "", 0},
      {"version 5, 4-bit palette", "-colors 16 -type palette -compress none", "", 0},
      {"version 4, 1 bit", "-monochrome", "", 0},
      // 5 and 6 bits are brought to 8 rounding to nearest; ImageMagick
      // repeats the high bits, which is up to 1 away.
      {"version 5, 16 bits RGB 565", "-alpha off -define bmp:subtype=RGB565", "", 1},
      {"version 5, 16 bits RGB 555", "-alpha off -define bmp:subtype=RGB555", "", 1},
      {"version 3, 24 bits", "-alpha off", "bmp3:", 0},
      {"OS/2 core header, 24 bits", "-alpha off", "bmp2:", 0},
      {"OS/2 core header, 8-bit palette", "-alpha off -type palette", "bmp2:", 0},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "case" + std::to_string(index++) + ".bmp";
    Convert("'" + source + "' " + c.options + " " + c.format + "'" + File(name).string() + "'");
    ExpectDecodedAsImageMagickDoes(name, c.tolerance);
  }
}

TEST_F(PictureDecodingTest, BmpLayoutsWrittenByHand) {
  // 2 x 2, rows padded to 4 bytes.
  const std::string bottomUp = std::string("\x01\x02\x03\x04\x05\x06", 6) + std::string(2, '\0') +
                               std::string("\x07\x08\x09\x0A\x0B\x0C", 6) + std::string(2, '\0');
  const Image upright{2, 2, {0xFF090807, 0xFF0C0B0A, 0xFF030201, 0xFF060504}};
  const Image topDown{2, 2, {0xFF030201, 0xFF060504, 0xFF090807, 0xFF0C0B0A}};
  // RLE4, 4 x 2: 3 absolute pixels (1, 2, 3) and a run of one 5, end of
  // line, a run of 2 alternating 3 and 4, end of bitmap: the last two pixels
  // are skipped.
  const std::string rle4 = std::string("\x00\x03\x12\x30\x01\x50\x00\x00\x02\x34\x00\x01", 12);
  const Image rle4Image{4, 2, {0xFF030303, 0xFF040404, 0, 0, 0xFF010101, 0xFF020202, 0xFF030303, 0xFF050505}};
  // RLE8, 4 x 3: a delta of (2, 1) skips the rest of the bottom row and half
  // of the next.
  const std::string rle8 = std::string("\x02\x05\x00\x02\x00\x01\x02\x06\x00\x00\x04\x07\x00\x01", 14);
  const Image rle8Image{
      4,
      3,
      {0xFF070707, 0xFF070707, 0xFF070707, 0xFF070707, 0, 0, 0xFF060606, 0xFF060606, 0xFF050505, 0xFF050505, 0, 0}};
  // 32 bits without masks whose fourth byte is 0 everywhere: opaque.
  const std::string zeroAlpha = std::string("\x10\x20\x30\x00\x40\x50\x60\x00", 8);
  const Image zeroAlphaImage{2, 1, {0xFF302010, 0xFF605040}};
  const std::string halfAlpha = std::string("\x10\x20\x30\x80\x40\x50\x60\x00", 8);
  const Image halfAlphaImage{2, 1, {0x80302010, 0x00605040}};
  // 16 bits, 4 bits a channel with alpha (ImageMagick reads 15 of 15 as 240).
  const std::string masks4444 = U32(0x0F00) + U32(0x00F0) + U32(0x000F) + U32(0xF000);
  const std::string argb4444 = U16(0xF2A5) + U16(0x0F0F);
  const Image argb4444Image{2, 1, {0xFF22AA55, 0x00FF00FF}};
  const struct {
    const char* what;
    std::string file;
    Image expected;
  } cases[] = {
      {"bottom-up 24 bits", Bmp(2, 2, 24, 0, bottomUp), upright},
      {"top-down 24 bits", Bmp(2, -2, 24, 0, bottomUp), topDown},
      {"RLE4 with skipped pixels", Bmp(4, 2, 4, 2, rle4, GreyPalette().substr(0, 64)), rle4Image},
      {"RLE8 with a delta", Bmp(4, 3, 8, 1, rle8, GreyPalette()), rle8Image},
      {"32 bits, unused alpha byte", Bmp(2, 1, 32, 0, zeroAlpha), zeroAlphaImage},
      {"32 bits, alpha byte in use", Bmp(2, 1, 32, 0, halfAlpha), halfAlphaImage},
      {"16 bits ARGB 4444 in bit fields", Bmp(2, 1, 16, 6, argb4444, masks4444), argb4444Image},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectSamePixels(c.expected, Decoded(c.file));
  }
}

TEST_F(PictureDecodingTest, TiffOfEveryOrientationLayoutAndAlpha) {
  const std::string source = Source().string();
  static const char* const kOrientations[] = {"TopLeft", "TopRight", "BottomRight", "BottomLeft",
                                              "LeftTop", "RightTop", "RightBottom", "LeftBottom"};
  for (const char* orientation : kOrientations) {
    SCOPED_TRACE(orientation);
    const std::string name = std::string("oriented-") + orientation + ".tif";
    // -orient sets the tag and leaves the stored pixels; -auto-orient turns
    // them upright.
    Convert("'" + source + "' -orient " + orientation + " '" + File(name).string() + "'");
    Convert("'" + File(name).string() + "' -auto-orient PNG32:'" + File(name + ".png").string() + "'");
    ExpectSamePixels(DecodePictureFile(File(name + ".png").string()), DecodePictureFile(File(name).string()));
  }
  const struct {
    const char* what;
    const char* options;
    int tolerance;
  } layouts[] = {
      {"unassociated alpha", "-define tiff:alpha=unassociated", 0},
      {"unassociated alpha, 16 bits", "-define tiff:alpha=unassociated -depth 16", 0},
      {"unassociated alpha, separate planes", "-define tiff:alpha=unassociated -interlace plane", 0},
      {"unassociated alpha, separate 16-bit planes", "-define tiff:alpha=unassociated -interlace plane -depth 16", 0},
      {"unassociated alpha, tiles, LZW",
       "-define tiff:alpha=unassociated -define tiff:tile-geometry=16x16 -compress lzw", 0},
      // Premultiplied colours keep less than straight ones where alpha is low:
      // both decoders round them back their own way.
      {"associated alpha", "-define tiff:alpha=associated", 1},
      {"associated alpha, 16 bits", "-define tiff:alpha=associated -depth 16", 1},
      {"grey, deflate", "-colorspace gray -alpha off -compress zip", 0},
      // libtiff brings 16-bit colour maps to 8 bits rounding down, ImageMagick
      // to nearest.
      {"palette", "-alpha off -type palette", 1},
      {"1 bit", "-monochrome", 0},
  };
  int index = 0;
  for (const auto& c : layouts) {
    SCOPED_TRACE(c.what);
    const std::string name = "layout" + std::to_string(index++) + ".tif";
    Convert("'" + source + "' " + c.options + " '" + File(name).string() + "'");
    if (std::string(c.what).rfind("associated", 0) == 0) {
      // Only where alpha leaves something to compare: fully transparent
      // pixels have no colour in a premultiplied file.
      Image expected = DecodePictureFile(source);
      Image actual = DecodePictureFile(File(name).string());
      for (size_t i = 0; i < expected.pixels.size(); ++i) {
        if (AlphaOf(expected.pixels[i]) < 128) expected.pixels[i] = actual.pixels[i];
      }
      ExpectSamePixels(expected, actual, c.tolerance);
      continue;
    }
    ExpectDecodedAsImageMagickDoes(name, c.tolerance);
  }
}

TEST_F(PictureDecodingTest, GifAndJpegAsImageMagickDecodesThem) {
  const std::string source = Source().string();
  const struct {
    const char* what;
    const char* options;
    const char* name;
    int tolerance;
  } cases[] = {
      {"GIF with a transparent colour", "", "plain.gif", 0},
      {"interlaced GIF", "-interlace GIF", "interlaced.gif", 0},
      {"baseline JPEG, 4:2:0", "-quality 85", "baseline.jpg", 0},
      {"JPEG 4:4:4", "-quality 90 -sampling-factor 1x1", "full.jpg", 0},
      {"progressive JPEG", "-interlace JPEG", "progressive.jpg", 0},
      {"grey JPEG", "-colorspace gray", "grey.jpg", 0},
      // ImageMagick turns CMYK into RGB in floating point.
      {"CMYK JPEG", "-colorspace cmyk", "cmyk.jpg", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Convert("'" + source + "' " + c.options + " '" + File(c.name).string() + "'");
    ExpectDecodedAsImageMagickDoes(c.name, c.tolerance);
  }
  // An animation: its first frame, at its own size.
  Convert("-size 40x30 xc:red -page 60x50+10+5 '" + source + "' -page +3+4 '" + File("animated.gif").string() + "'");
  const Image first = DecodePictureFile(File("animated.gif").string());
  EXPECT_EQ(first.width, 40);
  EXPECT_EQ(first.height, 30);
  EXPECT_EQ(first.At(39, 29), 0xFFFF0000u);
}

TEST_F(PictureDecodingTest, FilesWhosePixelsAreMissingFail) {
  const std::string source = Source().string();
  Convert("'" + source + "' '" + File("whole.gif").string() + "'");
  Convert("'" + source + "' -interlace JPEG '" + File("progressive.jpg").string() + "'");
  SavePicture(NaturalPicture(64, 48, 82), File("whole.jpg"), FileFormat::kJpeg, 90);
  const std::string gif = ReadFile(File("whole.gif")), jpeg = ReadFile(File("whole.jpg")),
                    progressive = ReadFile(File("progressive.jpg")), png = ReadFile(source);
  const std::string rows100 = std::string(300 * 100, '\x55');
  const std::string rle8Row = std::string("\x04\x01\x00\x00", 4);
  // 8192 x 8192, a global colour table of two, one image of the same size,
  // then compressed data that ends at once (a clear code and the end code),
  // or no data at all, or the start of some.
  const std::string gifStart = "GIF89a" + U16(8192) + U16(8192) + "\x80" + std::string(2, '\0') +
                               std::string("\0\0\0\xFF\xFF\xFF", 6) + "," + U32(0) + U16(8192) + U16(8192) +
                               std::string(1, '\0');
  const std::string emptyGif = gifStart + std::string("\x02\x02\x4c\x01\x00;", 6);
  const std::string noDataGif = gifStart + std::string("\x02\x00;", 3);
  const std::string shortGif = gifStart + "\x02\x03" + std::string("\x84\x8f\xa9", 3);
  const struct {
    const char* what;
    std::string file;
    int32_t code;
  } cases[] = {
      {"BMP header claiming 8192 x 8192, no pixels", Bmp(8192, 8192, 24, 0, ""), PX_ERROR_LOADING},
      {"BMP with half its rows", Bmp(100, 100, 24, 0, rows100.substr(0, 300 * 50)), PX_ERROR_LOADING},
      {"the same BMP whole", Bmp(100, 100, 24, 0, rows100), PX_OK},
      {"BMP cut inside its palette", Bmp(4, 2, 8, 0, "", GreyPalette()).substr(0, 300), PX_ERROR_LOADING},
      {"RLE8 BMP ending before its last row", Bmp(4, 2, 8, 1, rle8Row, GreyPalette()), PX_ERROR_LOADING},
      {"the same RLE8 BMP with both rows", Bmp(4, 2, 8, 1, rle8Row + rle8Row, GreyPalette()), PX_OK},
      {"BMP of 8193 x 8192", Bmp(8193, 8192, 24, 0, ""), PX_ERROR_NOT_ENOUGH_MEMORY},
      {"GIF of 35 bytes claiming 8192 x 8192", emptyGif, PX_ERROR_LOADING},
      {"GIF claiming 8192 x 8192 without data", noDataGif, PX_ERROR_LOADING},
      {"GIF claiming 8192 x 8192 with the start of its data", shortGif, PX_ERROR_LOADING},
      {"GIF cut in its pixel data", gif.substr(0, gif.size() * 2 / 3), PX_ERROR_LOADING},
      {"the same GIF whole", gif, PX_OK},
      {"TIFF without strips, 8192 x 8192", GreyTiff(8192, 8192, {}), PX_ERROR_LOADING},
      {"TIFF without strips, 67108864 x 1", GreyTiff(67108864, 1, {}), PX_ERROR_LOADING},
      {"TIFF whose strip lies past its end", GreyTiff(64, 64, {Long(273, 100000), Long(279, 4096)}), PX_ERROR_LOADING},
      {"TIFF whose strip is cut short", GreyTiff(64, 64, {Long(273, 200), Long(279, 4096)}) + std::string(1000, 'x'),
       PX_ERROR_LOADING},
      {"the same TIFF whole", GreyTiff(64, 64, {Long(273, 200), Long(279, 4096)}) + std::string(4096 + 100, 'x'),
       PX_OK},
      {"half a JPEG", jpeg.substr(0, jpeg.size() / 2), PX_ERROR_LOADING},
      {"the same JPEG whole", jpeg, PX_OK},
      {"a progressive JPEG without its last scans", progressive.substr(0, progressive.size() * 3 / 4),
       PX_ERROR_LOADING},
      {"a PNG without its end", png.substr(0, png.size() - 20), PX_ERROR_LOADING},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeCode(c.file), c.code);
  }
}

TEST_F(PictureDecodingTest, DecodersWriteNothingToStandardError) {
  const std::string source = Source().string();
  const std::vector<std::string> made = {"plain.tif", "lzw.tif", "odd.jpg", "odd.gif", "odd.bmp"};
  Convert("'" + source + "' '" + File("plain.tif").string() + "'");
  Convert("'" + source + "' -compress lzw -define tiff:tile-geometry=16x16 '" + File("lzw.tif").string() + "'");
  Convert("'" + source + "' '" + File("odd.jpg").string() + "'");
  Convert("'" + source + "' '" + File("odd.gif").string() + "'");
  Convert("'" + source + "' '" + File("odd.bmp").string() + "'");
  // A TIFF with a private tag that libtiff does not know, and broken files.
  WriteFile(File("private.tif"),
            GreyTiff(2, 2, {Long(273, 200), Long(279, 4), Long(65000, 7)}) + std::string(150, 'x'));
  const std::string jpeg = ReadFile(File("odd.jpg"));
  WriteFile(File("half.jpg"), jpeg.substr(0, jpeg.size() / 2));
  WriteFile(File("nostrips.tif"), GreyTiff(64, 64, {}));

  fflush(stderr);
  const int saved = dup(2);
  const auto log = File("stderr.txt");
  const int redirected = open(log.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
  ASSERT_GE(redirected, 0);
  dup2(redirected, 2);
  close(redirected);
  for (const char* name :
       {"plain.tif", "lzw.tif", "odd.jpg", "odd.gif", "odd.bmp", "private.tif", "half.jpg", "nostrips.tif"}) {
    try {
      DecodePictureFile(File(name).string());
    } catch (const StatusError&) {}
  }
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  EXPECT_EQ(ReadFile(log), "");
}

}  // namespace
}  // namespace pexora::test
