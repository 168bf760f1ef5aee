// Decoding the same 1920 x 1080 picture in each format the library reads: the
// library's decoders (DecodePictureBytes: libpng through FreeImage for PNG,
// libjpeg-turbo, libtiff, giflib, its own BMP reader) against FreeImage's
// decoding of the same bytes into 32 bits, as the library did before. The
// files are written by FreeImage from the test picture generator (PNG, BMP
// and TIFF in 32 bits, JPEG at quality 85, GIF in 256 colours).
#include <FreeImage.h>
#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <string>

#include "TestPictures.h"
#include "decode/PictureFile.h"

namespace {

using namespace pexora;
using namespace pexora::test;

struct Format {
  const char* name;
  FileFormat file;
  FREE_IMAGE_FORMAT fif;
  int loadFlags;  // FreeImage's, for the comparison
};

const Format kFormats[] = {
    {"png", FileFormat::kPng, FIF_PNG, 0}, {"jpeg", FileFormat::kJpeg, FIF_JPEG, JPEG_ACCURATE},
    {"bmp", FileFormat::kBmp, FIF_BMP, 0}, {"tiff", FileFormat::kTiff, FIF_TIFF, 0},
    {"gif", FileFormat::kGif, FIF_GIF, 0},
};

const std::string& Bytes(const Format& format) {
  static std::map<std::string, std::string> files;
  std::string& bytes = files[format.name];
  if (!bytes.empty()) return bytes;
  static TempFolder folder;
  const auto path = folder.File(std::string("picture.") + format.name);
  SavePicture(NaturalPicture(1920, 1080, 85), path, format.file, 85);
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
