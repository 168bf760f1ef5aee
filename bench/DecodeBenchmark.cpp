// Decoding the same 1920 x 1080 picture in each format the library reads: the
// library's decoders (DecodePictureBytes: libpng through FreeImage for PNG,
// libjpeg-turbo, libtiff, giflib, its own BMP reader) against FreeImage's
// decoding of the same bytes into 32 bits, as the library did before. The
// files are written by FreeImage from the test picture generator.
#include <FreeImage.h>
#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <string>

#include "PictureCodec.h"
#include "TestPictures.h"

namespace {

using namespace pexora;
using namespace pexora::test;

struct Format {
  const char* name;
  FREE_IMAGE_FORMAT fif;
  int saveFlags;
  int loadFlags;  // FreeImage's, for the comparison
};

const Format kFormats[] = {
    {"png", FIF_PNG, PNG_DEFAULT, 0},
    {"jpeg", FIF_JPEG, 85, JPEG_ACCURATE},
    {"bmp", FIF_BMP, 0, 0},
    {"tiff", FIF_TIFF, TIFF_LZW, 0},
    {"gif", FIF_GIF, 0, 0},
};

const std::string& Bytes(const Format& format) {
  static std::map<std::string, std::string> files;
  std::string& bytes = files[format.name];
  if (!bytes.empty()) return bytes;
  static TempFolder folder;
  const Image picture = NaturalPicture(1920, 1080, 85);
  FIBITMAP* dib = FreeImage_Allocate(picture.width, picture.height, 24);
  for (int32_t y = 0; y < picture.height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, picture.height - 1 - y);
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.At(x, y);
      line[3 * x + FI_RGBA_RED] = BYTE(RedOf(p));
      line[3 * x + FI_RGBA_GREEN] = BYTE(GreenOf(p));
      line[3 * x + FI_RGBA_BLUE] = BYTE(BlueOf(p));
    }
  }
  if (format.fif == FIF_GIF) {
    FIBITMAP* palette = FreeImage_ColorQuantize(dib, FIQ_WUQUANT);
    FreeImage_Unload(dib);
    dib = palette;
  }
  const auto path = folder.File(std::string("picture.") + format.name);
  FreeImage_Save(format.fif, dib, path.string().c_str(), format.saveFlags);
  FreeImage_Unload(dib);
  std::ifstream in(path, std::ios::binary);
  bytes.assign((std::istreambuf_iterator<char>(in)), {});
  return bytes;
}

void Library(benchmark::State& state) {
  const std::string& bytes = Bytes(kFormats[state.range(0)]);
  for (auto _ : state) {
    Image image = DecodePictureBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    benchmark::DoNotOptimize(image.pixels.data());
  }
  state.SetLabel(kFormats[state.range(0)].name);
}

void FreeImage(benchmark::State& state) {
  const Format& format = kFormats[state.range(0)];
  std::string bytes = Bytes(format);
  for (auto _ : state) {
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(bytes.data()), DWORD(bytes.size()));
    FIBITMAP* dib = FreeImage_LoadFromMemory(format.fif, memory, format.loadFlags);
    FIBITMAP* argb = FreeImage_ConvertTo32Bits(dib);
    benchmark::DoNotOptimize(FreeImage_GetBits(argb));
    FreeImage_Unload(argb);
    FreeImage_Unload(dib);
    FreeImage_CloseMemory(memory);
  }
  state.SetLabel(format.name);
}

BENCHMARK(Library)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(FreeImage)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
