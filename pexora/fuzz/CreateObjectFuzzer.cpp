// libFuzzer target: object creation from arbitrary file bytes. The bytes are
// written to a file and handed to Pexora_CreateObject as it is and resampled;
// an object that comes back is compared with itself (when small) and freed.
// The same bytes also go to Pexora_CreateObjectFromPixels: the first ones
// choose a width, height and stride (sometimes bad ones), the rest are the
// pixels, and the object is searched with options taken from the bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "ToUtf16.h"
#include "pexora/pexora.h"

namespace {

const std::string& FilePath() {
  static const std::string path = "/tmp/pexora-fuzz-" + std::to_string(getpid()) + ".img";
  return path;
}

struct Reader {
  const uint8_t* data;
  size_t size;
  uint32_t Next(uint32_t bound) {
    uint32_t value = 0;
    for (int i = 0; i < 2 && size > 0; ++i, ++data, --size) value = (value << 8) | *data;
    return value % bound;
  }
};

// Width, height and stride from the first bytes; pixels from the rest, only
// as many as the layout names (stride * (height - 1) + 4 * width bytes).
void CreateFromPixels(const uint8_t* data, size_t size) {
  Reader reader{data, size};
  const int32_t width = int32_t(reader.Next(70)) - 2;  // -2 .. 67
  const int32_t height = int32_t(reader.Next(70)) - 2;
  const int32_t stride = 4 * width + int32_t(reader.Next(24)) - 4;  // sometimes too small
  const size_t needed =
      width > 0 && height > 0 && stride > 0 ? size_t(stride) * size_t(height - 1) + 4 * size_t(width) : 0;
  if (needed > reader.size) return;
  TPXObject object{};
  const uint32_t* pixels = reinterpret_cast<const uint32_t*>(reader.data);
  if (Pexora_CreateObjectFromPixels(&object, width, height, stride, reader.size == 0 ? nullptr : pixels, {}) != PX_OK) {
    return;
  }
  TPXSearchOptions options{};
  options.Size = sizeof options;
  options.UseRegion = int32_t(reader.Next(2));
  options.Region = {int32_t(reader.Next(80)) - 4, int32_t(reader.Next(80)) - 4, int32_t(reader.Next(80)) - 4,
                    int32_t(reader.Next(80)) - 4};
  options.MinimalMatchPercentage = double(reader.Next(1200)) / 10.0 - 10.0;
  options.MaximalMatchCount = int32_t(reader.Next(6)) - 1;
  TPXProcessParameters p{};
  p.CompareType = int32_t(reader.Next(5));
  p.DifferenceTolerance = int32_t(reader.Next(40));
  p.MultipleMatches = 1;
  TPXResult result{};
  Pexora_Compare(object, object, p, &result, &options);
  Pexora_FreeResult(&result);
  Pexora_FreeObject(&object);
}

void UseObject(TPXObject& object) {
  // Comparing a huge picture with itself only costs time.
  const int64_t pixels = int64_t{object.ProcessedDimensions.Width} * object.ProcessedDimensions.Height;
  if (pixels > (int64_t{1} << 20)) {
    Pexora_FreeObject(&object);
    return;
  }
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_AHSL;
  p.DifferenceTolerance = 0;
  TPXResult result{};
  Pexora_Compare(object, object, p, &result, nullptr);
  Pexora_FreeResult(&result);
  Pexora_FreeObject(&object);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(FilePath().c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  const std::u16string name = pexora::test::ToUtf16(FilePath());
  TPXObject object{};
  object.FileName = name.c_str();
  if (Pexora_CreateObject(&object, {}) == PX_OK) UseObject(object);
  TPXObject resampled{};
  resampled.FileName = name.c_str();
  const TPXCreateObjectParameters resample{PX_PROCESS_TYPE_RESAMPLE, {13, 7}, PX_RESAMPLER_LANCZOS3};
  if (Pexora_CreateObject(&resampled, resample) == PX_OK) UseObject(resampled);
  CreateFromPixels(data, size);
  return 0;
}
