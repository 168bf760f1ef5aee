// The FreeImage binding against the real FreeImage, with pictures the tests
// write themselves.
#include "FreeImageLoader.h"
#include "FreeImageLoaderTestPictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace FIL = FreeImageLoader;
namespace TP = FreeImageLoaderTestPictures;

namespace {

constexpr std::int32_t kBmp = 0, kIco = 1, kJpeg = 2, kPng = 13, kTarga = 17, kGif = 25;

class RealFreeImage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    loaded_ = FIL::InitFreeImageLibrary();
    dir_ = new QTemporaryDir();
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
    FIL::FreeFreeImageLibrary();
  }
  void SetUp() override { ASSERT_TRUE(loaded_) << "the system's FreeImage did not bind"; }

  static QString Path(const QString& name) { return dir_->filePath(name); }

  static void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  static QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  static inline bool loaded_ = false;
  static inline QTemporaryDir* dir_ = nullptr;
};

// A picture in which no two neighbours, rows or columns are alike, so that a
// flipped, shifted or mirrored copy does not match.
TP::Pixels Pattern(int width, int height, const std::vector<std::uint32_t>& colours) {
  TP::Pixels p{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.argb.push_back(colours[static_cast<std::size_t>(x * 3 + y * 2 + x * y) % colours.size()]);
  return p;
}

TEST_F(RealFreeImage, BindsAllSixteenEntryPoints) {
  EXPECT_TRUE(FIL::FreeImageDLLLoaded);
  EXPECT_NE(FIL::FreeImageDLLHandle, 0u);
  const void* entryPoints[] = {reinterpret_cast<void*>(FIL::FIL_FreeImage_GetFileType),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetFIFFromFilename),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_Load),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetInfoHeader),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetInfo),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetBPP),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetBits),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_Unload),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_Initialise),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_DeInitialise),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_Save),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_Allocate),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetColorsUsed),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetHeight),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_GetWidth),
                               reinterpret_cast<void*>(FIL::FIL_FreeImage_Rescale)};
  for (const void* p : entryPoints) EXPECT_NE(p, nullptr);
}

// ---- decoding every bit depth FreeImage hands back ----

struct DepthCase {
  const char* label;
  TP::Depth depth;
  TP::Format format;
  const char* fileName;
  unsigned bpp;             // what FreeImage itself reads back from the file
  std::uint32_t greenMask;  // 16 bits: the layout FreeImage reads back
  int width;
  int height;
  std::vector<std::uint32_t> colours;  // written as they are
  std::vector<std::uint32_t> shown;    // what the bitmap must show for each
};

std::ostream& operator<<(std::ostream& os, const DepthCase& c) { return os << c.label; }

// Colours at 16 bits: channels of 0 and 255 survive both layouts; the grey
// keeps 5 bits of 0x84 (16 of 31) and, for green in 5-6-5, 6 bits (33 of 63).
const std::vector<std::uint32_t> k16Colours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                               0xFF000000, 0xFFFF00FF, 0xFF848484};
const std::vector<std::uint32_t> k16Shown555 = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF, 0x848484};
const std::vector<std::uint32_t> k16Shown565 = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF, 0x848684};
const std::vector<std::uint32_t> kSixColours = {0xFF102030, 0xFFF0E0D0, 0xFF00FF00, 0xFF7F3F1F, 0xFF0000FF, 0xFFFFFFFF};
const std::vector<std::uint32_t> kSixShown = {0x102030, 0xF0E0D0, 0x00FF00, 0x7F3F1F, 0x0000FF, 0xFFFFFF};
// With alpha that the bitmap must drop, colours not premultiplied.
const std::vector<std::uint32_t> kAlphaColours = {0x00102030, 0x80F0E0D0, 0xFF00FF00,
                                                  0x017F3F1F, 0x400000FF, 0xFFFFFFFF};

class DecodesBitDepth : public RealFreeImage, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DecodesBitDepth, ShowsEveryPixelTopRowFirst) {
  const DepthCase& c = GetParam();
  const QString path = Path(QString::fromUtf8(c.fileName));
  ASSERT_TRUE(TP::Write(path, Pattern(c.width, c.height, c.colours), c.depth, c.format));
  const TP::ReadBack back = TP::Read(path);
  ASSERT_EQ(back.bpp, c.bpp) << "the test picture is not of the depth meant";
  if (c.bpp == 16) {
    ASSERT_EQ(back.greenMask, c.greenMask);
  }

  std::unique_ptr<QImage> bitmap;
  ASSERT_TRUE(FIL::FreeImageLoadImage(path, bitmap, nullptr));
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(bitmap->width(), c.width);
  ASSERT_EQ(bitmap->height(), c.height);
  EXPECT_EQ(bitmap->format(), QImage::Format_RGB32);
  const TP::Pixels shown = Pattern(c.width, c.height, c.shown);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      EXPECT_EQ(bitmap->pixel(x, y), 0xFF000000u | shown.At(x, y)) << "pixel " << x << "," << y;
}

// Odd widths, so that rows end in padding: 13 pixels at 1 bit cross a byte
// and leave 19 padding bits; 5 at 4 bits end in half a byte; 5 at 24 bits are
// 15 bytes of a 16-byte row.
INSTANTIATE_TEST_SUITE_P(
    RealFreeImage, DecodesBitDepth,
    ::testing::Values(
        DepthCase{"Bmp1",
                  TP::Depth::Bits1,
                  TP::Format::Bmp,
                  "d1.bmp",
                  1,
                  0,
                  13,
                  3,
                  {0xFF102030, 0xFFF0E0D0},
                  {0x102030, 0xF0E0D0}},
        DepthCase{"Bmp4", TP::Depth::Bits4, TP::Format::Bmp, "d4.bmp", 4, 0, 5, 3, kSixColours, kSixShown},
        DepthCase{"Bmp8", TP::Depth::Bits8, TP::Format::Bmp, "d8.bmp", 8, 0, 5, 3, kSixColours, kSixShown},
        DepthCase{"Bmp16_555", TP::Depth::Bits16_555, TP::Format::Bmp, "d555.bmp", 16, 0x03E0, 5, 3, k16Colours,
                  k16Shown555},
        DepthCase{"Bmp16_565", TP::Depth::Bits16_565, TP::Format::Bmp, "d565.bmp", 16, 0x07E0, 5, 3, k16Colours,
                  k16Shown565},
        DepthCase{"Bmp24", TP::Depth::Bits24, TP::Format::Bmp, "d24.bmp", 24, 0, 5, 3, kSixColours, kSixShown},
        DepthCase{"Bmp32", TP::Depth::Bits32, TP::Format::Bmp, "d32.bmp", 32, 0, 5, 3, kAlphaColours, kSixShown},
        DepthCase{"Png1",
                  TP::Depth::Bits1,
                  TP::Format::Png,
                  "d1.png",
                  1,
                  0,
                  13,
                  3,
                  {0xFF102030, 0xFFF0E0D0},
                  {0x102030, 0xF0E0D0}},
        DepthCase{"Png4", TP::Depth::Bits4, TP::Format::Png, "d4.png", 4, 0, 5, 3, kSixColours, kSixShown},
        DepthCase{"Png8", TP::Depth::Bits8, TP::Format::Png, "d8.png", 8, 0, 5, 3, kSixColours, kSixShown},
        DepthCase{"Png24", TP::Depth::Bits24, TP::Format::Png, "d24.png", 24, 0, 5, 3, kSixColours, kSixShown},
        DepthCase{"Png32", TP::Depth::Bits32, TP::Format::Png, "d32.png", 32, 0, 5, 3, kAlphaColours, kSixShown},
        DepthCase{"Targa24", TP::Depth::Bits24, TP::Format::Targa, "d24.tga", 24, 0, 5, 3, kSixColours, kSixShown},
        // A PNG under a JPEG name: decoded as the PNG it is.
        DepthCase{"PngNamedJpg", TP::Depth::Bits8, TP::Format::Png, "png-in-disguise.jpg", 8, 0, 5, 3, kSixColours,
                  kSixShown},
        DepthCase{"NonAsciiName", TP::Depth::Bits24, TP::Format::Png, "Bild äß 日本.png", 24, 0, 5, 3, kSixColours,
                  kSixShown}),
    [](const ::testing::TestParamInfo<DepthCase>& info) { return std::string(info.param.label); });

TEST_F(RealFreeImage, DecodesAJpegCloseToItsColours) {
  // Inside blocks of 16 x 16 pixels of flat colour, JPEG keeps the colour
  // nearly unchanged; only the blocks' edges blur.
  const std::vector<std::uint32_t> colours = {0xFFC03020, 0xFF2080E0, 0xFF30C040, 0xFFF0F0F0};
  TP::Pixels p{64, 32, {}};
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.argb.push_back(colours[static_cast<std::size_t>(x / 16 + y / 16) % 4]);
  const QString path = Path("photo.jpeg");
  ASSERT_TRUE(TP::Write(path, p, TP::Depth::Bits24, TP::Format::Jpeg));
  ASSERT_EQ(FIL::FreeImageGetFileFormat(path), kJpeg);

  std::unique_ptr<QImage> bitmap;
  ASSERT_TRUE(FIL::FreeImageLoadImage(path, bitmap, nullptr));
  ASSERT_EQ(bitmap->size(), QSize(64, 32));
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      if (x % 16 < 4 || x % 16 > 11 || y % 16 < 4 || y % 16 > 11) continue;
      const QRgb got = bitmap->pixel(x, y), want = p.At(x, y);
      EXPECT_LE(
          std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want)) + std::abs(qBlue(got) - qBlue(want)),
          24)
          << "pixel " << x << "," << y;
    }
}

// ---- pictures beyond standard bitmaps ----

// The test pictures hold byte 40 * row + 7 * i at byte i of each row, rows
// counted from the bottom; 16-bit samples are little-endian, so the top 8 bits
// of sample k are byte 2k + 1.
int TopByte(int rowFromBottom, int sample) { return 40 * rowFromBottom + 7 * (2 * sample + 1); }

// Writes the 3 x 2 test picture of the kind and decodes it into bitmap.
void DecodeSpecial(const QString& path, TP::Special kind, std::unique_ptr<QImage>& bitmap) {
  ASSERT_TRUE(TP::WriteSpecial(path, kind));
  ASSERT_TRUE(FIL::FreeImageLoadImage(path, bitmap, nullptr));
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(bitmap->size(), QSize(3, 2));
}

struct SixteenBitCase {
  const char* label;
  TP::Special kind;
  const char* fileName;
  int samplesPerPixel;  // 1 grey, 3 RGB, 4 RGBA (alpha dropped)
};

std::ostream& operator<<(std::ostream& os, const SixteenBitCase& c) { return os << c.label; }

class DecodesSixteenBitSamples : public RealFreeImage, public ::testing::WithParamInterface<SixteenBitCase> {};

TEST_P(DecodesSixteenBitSamples, ShowsTheTopEightBitsOfEverySample) {
  const SixteenBitCase& c = GetParam();
  std::unique_ptr<QImage> bitmap;
  ASSERT_NO_FATAL_FAILURE(DecodeSpecial(Path(QString::fromUtf8(c.fileName)), c.kind, bitmap));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      const int row = 1 - y;
      const int first = x * c.samplesPerPixel;
      const QRgb want = c.samplesPerPixel == 1
                            ? qRgb(TopByte(row, first), TopByte(row, first), TopByte(row, first))
                            : qRgb(TopByte(row, first), TopByte(row, first + 1), TopByte(row, first + 2));
      EXPECT_EQ(bitmap->pixel(x, y), want) << "pixel " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(RealFreeImage, DecodesSixteenBitSamples,
                         ::testing::Values(SixteenBitCase{"Grey16Png", TP::Special::Grey16Png, "grey16.png", 1},
                                           SixteenBitCase{"Rgb16Png", TP::Special::Rgb16Png, "rgb16.png", 3},
                                           SixteenBitCase{"Rgba16Png", TP::Special::Rgba16Png, "rgba16.png", 4}),
                         [](const ::testing::TestParamInfo<SixteenBitCase>& info) {
                           return std::string(info.param.label);
                         });

struct FloatCase {
  const char* label;
  TP::Special kind;
  const char* fileName;
};

std::ostream& operator<<(std::ostream& os, const FloatCase& c) { return os << c.label; }

class DecodesFloatingPointSamples : public RealFreeImage, public ::testing::WithParamInterface<FloatCase> {};

// The samples rise from left to right and from the top row to the bottom one;
// the tone-mapped picture keeps that order of brightness.
TEST_P(DecodesFloatingPointSamples, ShowsThePictureTonedToEightBits) {
  const FloatCase& c = GetParam();
  std::unique_ptr<QImage> bitmap;
  ASSERT_NO_FATAL_FAILURE(DecodeSpecial(Path(QString::fromUtf8(c.fileName)), c.kind, bitmap));
  auto brightness = [&](int x, int y) {
    const QRgb p = bitmap->pixel(x, y);
    return qRed(p) + qGreen(p) + qBlue(p);
  };
  for (int y = 0; y < 2; ++y)
    for (int x = 1; x < 3; ++x) EXPECT_GT(brightness(x, y), brightness(x - 1, y)) << "pixel " << x << "," << y;
  for (int x = 0; x < 3; ++x) EXPECT_GT(brightness(x, 0), brightness(x, 1)) << "column " << x;
}

INSTANTIATE_TEST_SUITE_P(RealFreeImage, DecodesFloatingPointSamples,
                         ::testing::Values(FloatCase{"FloatPfm", TP::Special::FloatPfm, "float.pfm"},
                                           FloatCase{"RgbFloatPfm", TP::Special::RgbFloatPfm, "rgbf.pfm"}),
                         [](const ::testing::TestParamInfo<FloatCase>& info) { return std::string(info.param.label); });

// ---- format detection and files that do not decode ----

enum class Content { Png, Jpeg, Bmp, Ico, Garbage, Empty, TruncatedPng, Folder, Nothing };

struct FileCase {
  const char* label;
  Content content;
  const char* fileName;  // under the test folder; "" for an empty name
  std::int32_t format;   // FreeImageGetFileFormat
  bool decodes;          // FreeImageLoadImage
};

std::ostream& operator<<(std::ostream& os, const FileCase& c) { return os << c.label; }

class FileKinds : public RealFreeImage, public ::testing::WithParamInterface<FileCase> {
 protected:
  QString Make(const FileCase& c) {
    if (!*c.fileName) return {};
    const QString path = Path(QString::fromUtf8(c.fileName));
    QDir().mkpath(QFileInfo(path).path());
    const TP::Pixels p = Pattern(5, 3, kSixColours);
    switch (c.content) {
      case Content::Png: EXPECT_TRUE(TP::Write(path, p, TP::Depth::Bits24, TP::Format::Png)); break;
      case Content::Jpeg: EXPECT_TRUE(TP::Write(path, p, TP::Depth::Bits24, TP::Format::Jpeg)); break;
      case Content::Bmp: EXPECT_TRUE(TP::Write(path, p, TP::Depth::Bits24, TP::Format::Bmp)); break;
      case Content::Ico:  // FreeImage writes icons of square sizes
        EXPECT_TRUE(TP::Write(path, Pattern(16, 16, kSixColours), TP::Depth::Bits24, TP::Format::Ico));
        break;
      case Content::Garbage:
        WriteBytes(path, QByteArray("this is not a picture at all, only some text\n").repeated(20));
        break;
      case Content::Empty: WriteBytes(path, {}); break;
      case Content::TruncatedPng: {
        const QString whole = Path("whole-for-truncation.png");
        EXPECT_TRUE(TP::Write(whole, Pattern(40, 40, kSixColours), TP::Depth::Bits24, TP::Format::Png));
        WriteBytes(path, ReadBytes(whole).left(60));
        break;
      }
      case Content::Folder: QDir().mkpath(path); break;
      case Content::Nothing: break;
    }
    return path;
  }
};

TEST_P(FileKinds, FormatAndDecoding) {
  const FileCase& c = GetParam();
  const QString path = Make(c);
  EXPECT_EQ(FIL::FreeImageGetFileFormat(path), c.format);

  // What the reference holds is kept when nothing is decoded.
  auto held = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
  QImage* const before = held.get();
  EXPECT_EQ(FIL::FreeImageLoadImage(path, held, nullptr), c.decodes);
  if (c.decodes) {
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->size(), c.content == Content::Ico ? QSize(16, 16) : QSize(5, 3));
  } else {
    EXPECT_EQ(held.get(), before);
  }
}

INSTANTIATE_TEST_SUITE_P(RealFreeImage, FileKinds,
                         ::testing::Values(FileCase{"Png", Content::Png, "a.png", kPng, true},
                                           FileCase{"PngNamedJpg", Content::Png, "a.jpg", kPng, true},
                                           FileCase{"JpegNamedPng", Content::Jpeg, "b.png", kJpeg, true},
                                           FileCase{"BmpWithoutExtension", Content::Bmp, "bitmap", kBmp, true},
                                           // Icons and animated cursors are refused by name, whatever they hold.
                                           FileCase{"Ico", Content::Ico, "c.ico", -1, false},
                                           FileCase{"IcoUpperCase", Content::Ico, "c2.ICO", -1, false},
                                           FileCase{"PngNamedIco", Content::Png, "d.Ico", -1, false},
                                           FileCase{"PngNamedAni", Content::Png, "e.aNi", -1, false},
                                           FileCase{"PngNamedPngIco", Content::Png, "f.png.ico", -1, false},
                                           // Only the exact extensions are refused, upper-cased in ASCII alone
                                           // (a dotless i stays what it is); FreeImage then reads and decodes
                                           // the icon.
                                           FileCase{"IcoNamedIcon", Content::Ico, "g.icon", kIco, true},
                                           FileCase{"IcoWithDotlessI", Content::Ico,
                                                    "h.\xC4\xB1"
                                                    "co",
                                                    kIco, true},
                                           // The extension is that of the last path component.
                                           FileCase{"PngInFolderNamedIco", Content::Png, "icons.ico/i.png", kPng, true},
                                           FileCase{"GarbageInDottedFolder", Content::Garbage, "dotted.tga/plain", -1,
                                                    false},
                                           FileCase{"GarbageUnknownExtension", Content::Garbage, "j.xyz", -1, false},
                                           FileCase{"GarbageNoExtension", Content::Garbage, "garbage", -1, false},
                                           FileCase{"GarbageNamedJpg", Content::Garbage, "k.jpg", kJpeg, false},
                                           FileCase{"GarbageNamedTga", Content::Garbage, "l.TGA", kTarga, false},
                                           FileCase{"EmptyNamedGif", Content::Empty, "m.gif", kGif, false},
                                           FileCase{"TruncatedPng", Content::TruncatedPng, "n.png", kPng, false},
                                           FileCase{"FolderNamedPng", Content::Folder, "o.png", kPng, false},
                                           FileCase{"MissingNamedPng", Content::Nothing, "missing.png", kPng, false},
                                           FileCase{"MissingNoExtension", Content::Nothing, "missing", -1, false},
                                           FileCase{"EmptyName", Content::Nothing, "", -1, false}),
                         [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.label); });

}  // namespace
