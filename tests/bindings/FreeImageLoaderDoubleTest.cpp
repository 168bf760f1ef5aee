// The FreeImage binding against a test double of FreeImage: the four states of
// the binding, a library without one of its exports, and what the services
// hand to FreeImage (which functions are asked, the file name, the load flags).
#include "FreeImageLoader.h"
#include "freeimage_double/FreeImageDoubleControl.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace FIL = FreeImageLoader;
using FreeImageDouble::Throw;

namespace {

// Every entry-point variable, in the order of the export names.
#define ENTRY(name) reinterpret_cast<void**>(&FIL::FIL_FreeImage_##name)
void** const kEntryPoints[16] = {ENTRY(GetFileType),   ENTRY(GetFIFFromFilename),
                                 ENTRY(Load),          ENTRY(GetInfoHeader),
                                 ENTRY(GetInfo),       ENTRY(GetBPP),
                                 ENTRY(GetBits),       ENTRY(Unload),
                                 ENTRY(Initialise),    ENTRY(DeInitialise),
                                 ENTRY(Save),          ENTRY(Allocate),
                                 ENTRY(GetColorsUsed), ENTRY(GetHeight),
                                 ENTRY(GetWidth),      ENTRY(Rescale)};
#undef ENTRY

std::string DoubleFolder(const std::string& kind) { return std::string(FREEIMAGE_DOUBLES_DIR) + "/" + kind; }

bool IsMapped(const std::string& kind) {
  void* h = dlopen((DoubleFolder(kind) + "/libfreeimage.so.3").c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (h) dlclose(h);
  return h != nullptr;
}

class FreeImageBinding : public ::testing::Test {
 protected:
  void Use(const std::string& kind) {
    kind_ = kind;
    PlatformLibrary::SetFirstSearchFolder(DoubleFolder(kind));
  }

  FreeImageDouble::Control& Double() {
    auto control = reinterpret_cast<FreeImageDouble::t_Control>(
        PlatformLibrary::GetProcAddress(FIL::FreeImageDLLHandle, FreeImageDouble::ControlExport));
    if (!control) throw std::runtime_error("no test double bound");
    return *control();
  }

  // Each test starts as a program does: nothing loaded, nothing resolved.
  void TearDown() override {
    if (FIL::FreeImageDLLHandle && IsMapped(kind_)) FIL::FreeFreeImageLibrary();
    FIL::FreeImageDLLHandle = 0;
    FIL::FreeImageDLLLoaded = false;
    for (void** entry : kEntryPoints) *entry = nullptr;
  }

  std::string kind_;
};

TEST_F(FreeImageBinding, BeforeTheLoadBothServicesAnswerAtOnce) {
  auto held = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
  QImage* const before = held.get();
  EXPECT_EQ(FIL::FreeImageGetFileFormat("picture.png"), -1);
  EXPECT_FALSE(FIL::FreeImageLoadImage("picture.png", held, nullptr));
  EXPECT_EQ(held.get(), before);
  EXPECT_FALSE(FIL::FreeFreeImageLibrary());
}

std::uint16_t FloatingPointControlWord() {
  std::uint16_t word = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

TEST_F(FreeImageBinding, TheLoadKeepsTheProgramsFloatingPointControlWord) {
  const std::uint16_t before = FloatingPointControlWord();
  Use("complete");
  ASSERT_TRUE(FIL::InitFreeImageLibrary());
  EXPECT_EQ(FloatingPointControlWord(), before);
  // Extended precision still holds: 1 + 2^-60 differs from 1 only in 64 bits.
  volatile long double tiny = 0x1p-60L;
  EXPECT_NE(1.0L + tiny, 1.0L);
}

TEST_F(FreeImageBinding, LoadedThenUnloadedKeepsTheHandleAndTurnsTheServicesOff) {
  Use("complete");
  ASSERT_TRUE(FIL::InitFreeImageLibrary());
  EXPECT_TRUE(FIL::FreeImageDLLLoaded);
  const PlatformLibrary::HMODULE handle = FIL::FreeImageDLLHandle;
  EXPECT_NE(handle, 0u);
  for (void** entry : kEntryPoints) EXPECT_NE(*entry, nullptr);
  // A second start loads nothing again.
  EXPECT_TRUE(FIL::InitFreeImageLibrary());
  EXPECT_EQ(FIL::FreeImageDLLHandle, handle);

  Double().fileType = 13;
  EXPECT_EQ(FIL::FreeImageGetFileFormat("picture.png"), 13);

  // The end unloads it; the handle keeps its value.
  EXPECT_TRUE(FIL::FreeFreeImageLibrary());
  EXPECT_FALSE(FIL::FreeImageDLLLoaded);
  EXPECT_EQ(FIL::FreeImageDLLHandle, handle);
  EXPECT_EQ(FIL::FreeImageGetFileFormat("picture.png"), -1);
  std::unique_ptr<QImage> bitmap;
  EXPECT_FALSE(FIL::FreeImageLoadImage("picture.png", bitmap, nullptr));
  EXPECT_EQ(bitmap, nullptr);
  EXPECT_FALSE(IsMapped("complete"));
}

struct Incomplete {
  const char* kind;
  int missing;  // place of the export that is not found, 0 for several
};

std::ostream& operator<<(std::ostream& os, const Incomplete& c) { return os << c.kind; }

class IncompleteLibrary : public FreeImageBinding, public ::testing::WithParamInterface<Incomplete> {};

TEST_P(IncompleteLibrary, StaysLoadedWithTheServicesOffUntilTheEnd) {
  const Incomplete& c = GetParam();
  Use(c.kind);
  EXPECT_FALSE(FIL::InitFreeImageLibrary());
  EXPECT_FALSE(FIL::FreeImageDLLLoaded);
  ASSERT_NE(FIL::FreeImageDLLHandle, 0u);
  EXPECT_TRUE(IsMapped(c.kind));
  if (c.missing) {
    // Every other export is still resolved.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(*kEntryPoints[i] == nullptr, i + 1 == c.missing) << "entry point " << i + 1;
  }

  Double().fileType = 13;
  Double().loadGivesPicture = true;
  std::unique_ptr<QImage> bitmap;
  EXPECT_EQ(FIL::FreeImageGetFileFormat("picture.png"), -1);
  EXPECT_FALSE(FIL::FreeImageLoadImage("picture.png", bitmap, nullptr));
  EXPECT_EQ(bitmap, nullptr);
  EXPECT_EQ(Double().getFileTypeCalls, 0);
  EXPECT_EQ(Double().loadCalls, 0);

  // The end unloads it like a complete one.
  EXPECT_TRUE(FIL::FreeFreeImageLibrary());
  EXPECT_FALSE(IsMapped(c.kind));
  EXPECT_NE(FIL::FreeImageDLLHandle, 0u);
}

INSTANTIATE_TEST_SUITE_P(FreeImageBinding, IncompleteLibrary,
                         ::testing::Values(Incomplete{"without_1", 1}, Incomplete{"without_2", 2},
                                           Incomplete{"without_3", 3}, Incomplete{"without_4", 4},
                                           Incomplete{"without_5", 5}, Incomplete{"without_6", 6},
                                           Incomplete{"without_7", 7}, Incomplete{"without_8", 8},
                                           Incomplete{"without_9", 9}, Incomplete{"without_10", 10},
                                           Incomplete{"without_11", 11}, Incomplete{"without_12", 12},
                                           Incomplete{"without_13", 13}, Incomplete{"without_14", 14},
                                           Incomplete{"without_15", 15}, Incomplete{"without_16", 16},
                                           // The UTF-16 names of the Windows library are not the ones bound here.
                                           Incomplete{"wide_names", 0}),
                         [](const ::testing::TestParamInfo<Incomplete>& info) { return std::string(info.param.kind); });

class BoundDouble : public FreeImageBinding {
 protected:
  void SetUp() override {
    Use("complete");
    ASSERT_TRUE(FIL::InitFreeImageLibrary());
  }
};

TEST_F(BoundDouble, IconsAndCursorsAreRefusedWithoutAskingFreeImage) {
  Double().fileType = 1;
  Double().fifFromFilename = 1;
  Double().loadGivesPicture = true;
  for (const char* name : {"x.ico", "x.ICO", "x.iCo", "x.ani", "x.ANI", "dir/x.Ani"}) {
    EXPECT_EQ(FIL::FreeImageGetFileFormat(name), -1) << name;
  }
  EXPECT_EQ(Double().getFileTypeCalls, 0);
  EXPECT_EQ(Double().fifFromFilenameCalls, 0);
  // Decoding asks FreeImage with the unknown format, and gets no image.
  Double().loadGivesPicture = false;
  std::unique_ptr<QImage> bitmap;
  EXPECT_FALSE(FIL::FreeImageLoadImage("x.ico", bitmap, nullptr));
  EXPECT_EQ(Double().lastLoadFormat, -1);
  EXPECT_EQ(Double().getFileTypeCalls, 0);
}

TEST_F(BoundDouble, ContentComesBeforeTheNameAndTheNameArrivesAsUtf8) {
  const QString name = QString::fromUtf8("/tmp/Bild äß 日本.jpg");
  Double().fileType = 13;
  Double().fifFromFilename = 2;
  EXPECT_EQ(FIL::FreeImageGetFileFormat(name), 13);
  EXPECT_EQ(Double().getFileTypeCalls, 1);
  EXPECT_EQ(Double().lastSize, 16);
  EXPECT_EQ(Double().fifFromFilenameCalls, 0);
  EXPECT_EQ(std::string(Double().lastFileName), name.toStdString());

  Double().fileType = -1;
  EXPECT_EQ(FIL::FreeImageGetFileFormat(name), 2);
  EXPECT_EQ(Double().fifFromFilenameCalls, 1);

  // Any other value FreeImage gives is passed on unchanged.
  Double().fileType = 1234;
  EXPECT_EQ(FIL::FreeImageGetFileFormat(name), 1234);
}

struct Fallback {
  const char* fileName;
  std::int32_t format;
};

std::ostream& operator<<(std::ostream& os, const Fallback& c) { return os << c.fileName; }

class FallbackTable : public BoundDouble, public ::testing::WithParamInterface<Fallback> {};

// FreeImage knows neither content nor name.
TEST_P(FallbackTable, GivesTheFormatOfTheExtension) {
  EXPECT_EQ(FIL::FreeImageGetFileFormat(QString::fromUtf8(GetParam().fileName)), GetParam().format);
  EXPECT_EQ(Double().getFileTypeCalls, 1);
  EXPECT_EQ(Double().fifFromFilenameCalls, 1);
}

INSTANTIATE_TEST_SUITE_P(FreeImageBinding, FallbackTable,
                         ::testing::Values(Fallback{"a.tga", 17}, Fallback{"a.TGA", 17}, Fallback{"a.Targa", 17},
                                           Fallback{"a.TARGA", 17}, Fallback{"a.mng", 6}, Fallback{"a.MnG", 6},
                                           Fallback{"a.pcd", 9}, Fallback{"a.PCD", 9}, Fallback{"a.wbmp", 19},
                                           Fallback{"a.WBmp", 19}, Fallback{"a.cut", 21}, Fallback{"dir/b.CUT", 21},
                                           Fallback{"a.tga.bak", -1}, Fallback{"a.tg", -1}, Fallback{"a.wbm", -1},
                                           Fallback{"tga", -1}, Fallback{"a.", -1}, Fallback{"dir.tga/b", -1},
                                           Fallback{"", -1}, Fallback{"a.xyz", -1}));

struct FlagsCase {
  const char* label;
  std::int32_t fileType;
  std::int32_t fifFromFilename;
  const char* fileName;
  std::int32_t format;  // handed to FreeImage_Load
  std::int32_t flags;
};

std::ostream& operator<<(std::ostream& os, const FlagsCase& c) { return os << c.label; }

class LoadFlags : public BoundDouble, public ::testing::WithParamInterface<FlagsCase> {};

TEST_P(LoadFlags, AccurateForJpegOnly) {
  const FlagsCase& c = GetParam();
  Double().fileType = c.fileType;
  Double().fifFromFilename = c.fifFromFilename;
  Double().loadGivesPicture = true;
  std::unique_ptr<QImage> bitmap;
  EXPECT_EQ(FIL::FreeImageLoadImage(QString::fromUtf8(c.fileName), bitmap, nullptr), true);
  EXPECT_EQ(Double().loadCalls, 1);
  EXPECT_EQ(Double().lastLoadFormat, c.format);
  EXPECT_EQ(Double().lastLoadFlags, c.flags);
  EXPECT_EQ(std::string(Double().lastFileName), c.fileName);
  EXPECT_EQ(Double().unloadCalls, 1);
}

INSTANTIATE_TEST_SUITE_P(FreeImageBinding, LoadFlags,
                         ::testing::Values(FlagsCase{"JpegByContent", 2, -1, "photo.png", 2, 2},
                                           FlagsCase{"JpegByName", -1, 2, "photo.jpg", 2, 2},
                                           FlagsCase{"PngNamedJpg", 13, 2, "photo.jpg", 13, 0},
                                           FlagsCase{"Bmp", 0, 0, "photo.bmp", 0, 0},
                                           FlagsCase{"TargaByExtension", -1, -1, "photo.TGA", 17, 0},
                                           FlagsCase{"Unknown", -1, -1, "photo.xyz", -1, 0}),
                         [](const ::testing::TestParamInfo<FlagsCase>& info) { return std::string(info.param.label); });

TEST_F(BoundDouble, TheDecodedPictureIsShownTopRowFirstAndReleased) {
  Double().fileType = 0;
  Double().loadGivesPicture = true;
  auto held = std::make_unique<QImage>(7, 7, QImage::Format_RGB32);
  ASSERT_TRUE(FIL::FreeImageLoadImage("p.bmp", held, nullptr));
  ASSERT_EQ(held->size(), QSize(2, 2));
  EXPECT_EQ(held->pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(held->pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(held->pixel(0, 1), 0xFF0000FFu);
  EXPECT_EQ(held->pixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Double().unloadCalls, 1);
}

TEST_F(BoundDouble, NoImageLeavesTheReferenceUntouched) {
  Double().fileType = 13;
  Double().loadGivesPicture = false;
  auto held = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
  QImage* const before = held.get();
  EXPECT_FALSE(FIL::FreeImageLoadImage("broken.png", held, nullptr));
  EXPECT_EQ(held.get(), before);
  EXPECT_EQ(Double().unloadCalls, 0);
}

struct FailureCase {
  const char* label;
  Throw where;
  bool bitmapStored;  // the failure comes after the new bitmap was stored
  int unloads;
};

std::ostream& operator<<(std::ostream& os, const FailureCase& c) { return os << c.label; }

class FailureInsideFreeImage : public BoundDouble, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureInsideFreeImage, IsCaughtAndEndsInTheFailureValue) {
  const FailureCase& c = GetParam();
  Double().fileType = 13;
  Double().loadGivesPicture = true;
  Double().throwIn = c.where;
  auto held = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
  QImage* const before = held.get();
  bool result = true;
  EXPECT_NO_THROW(result = FIL::FreeImageLoadImage("p.png", held, nullptr));
  EXPECT_FALSE(result);
  if (c.bitmapStored) {
    ASSERT_NE(held.get(), before);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(held->isNull());
  } else {
    EXPECT_EQ(held.get(), before);
  }
  // A decoded image is released however the decoding ends.
  EXPECT_EQ(Double().unloadCalls, c.unloads);
}

INSTANTIATE_TEST_SUITE_P(FreeImageBinding, FailureInsideFreeImage,
                         ::testing::Values(FailureCase{"InLoad", Throw::InLoad, false, 0},
                                           FailureCase{"InGetInfoHeader", Throw::InGetInfoHeader, false, 1},
                                           FailureCase{"InGetBits", Throw::InGetBits, true, 1}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           return std::string(info.param.label);
                         });

TEST_F(BoundDouble, AFailureInFileTypeDetectionGivesUnknown) {
  Double().throwIn = Throw::InGetFileType;
  Double().fifFromFilename = 13;
  std::int32_t format = 0;
  EXPECT_NO_THROW(format = FIL::FreeImageGetFileFormat("p.png"));
  EXPECT_EQ(format, -1);
  EXPECT_EQ(Double().fifFromFilenameCalls, 0);
}

}  // namespace
