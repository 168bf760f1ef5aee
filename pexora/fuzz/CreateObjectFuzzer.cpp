// libFuzzer target: object creation from arbitrary file bytes. The bytes are
// written to a file and handed to Pexora_CreateObject as it is and resampled;
// an object that comes back is compared with itself (when small) and freed.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "pexora/pexora.h"

namespace {

std::u16string Utf16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

const std::string& FilePath() {
  static const std::string path = "/tmp/pexora-fuzz-" + std::to_string(getpid()) + ".img";
  return path;
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
  const std::u16string name = Utf16(FilePath());
  TPXObject object{};
  object.FileName = name.c_str();
  if (Pexora_CreateObject(&object, {}) == PX_OK) UseObject(object);
  TPXObject resampled{};
  resampled.FileName = name.c_str();
  const TPXCreateObjectParameters resample{PX_PROCESS_TYPE_RESAMPLE, {13, 7}, PX_RESAMPLER_LANCZOS3};
  if (Pexora_CreateObject(&resampled, resample) == PX_OK) UseObject(resampled);
  return 0;
}
