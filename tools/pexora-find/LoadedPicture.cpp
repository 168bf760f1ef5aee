#include "LoadedPicture.h"

#include "Utf8ToUtf16.h"

namespace pexora::find {

std::string FailureText(int32_t code) {
  return std::string(Pexora_GetErrorText(code)) + " (code " + std::to_string(code) + ")";
}

LoadedPicture::LoadedPicture(const std::string& path, const TPXCreateObjectParameters& parameters) {
  const auto name = Utf8ToUtf16(path);
  if (!name) {
    error_ = "the file name is not valid UTF-8";
    return;
  }
  name_ = *name;
  record_.FileName = name_.c_str();
  const int32_t code = Pexora_CreateObject(&record_, parameters);
  if (code != PX_OK) error_ = FailureText(code);
}

LoadedPicture::~LoadedPicture() {
  if (record_.ImageObject != nullptr) Pexora_FreeObject(&record_);
}

}  // namespace pexora::find
