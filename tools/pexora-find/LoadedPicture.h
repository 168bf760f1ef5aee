// A search object made from a picture file, and a comparison's result, each
// handed back to the library when it goes.
#pragma once

#include <optional>
#include <string>

#include "pexora/pexora.h"

namespace pexora::find {

// The library's text for a code, with the code: "... (code 3)".
std::string FailureText(int32_t code);

class LoadedPicture {
 public:
  LoadedPicture(const std::string& path, const TPXCreateObjectParameters& parameters);
  ~LoadedPicture();
  LoadedPicture(const LoadedPicture&) = delete;
  LoadedPicture& operator=(const LoadedPicture&) = delete;

  // Why the picture could not be loaded, or nothing.
  const std::optional<std::string>& error() const { return error_; }
  TPXObject& record() { return record_; }

 private:
  std::u16string name_;
  TPXObject record_{};
  std::optional<std::string> error_;
};

struct OwnedResult {
  TPXResult result{};
  OwnedResult() = default;
  OwnedResult(const OwnedResult&) = delete;
  OwnedResult& operator=(const OwnedResult&) = delete;
  ~OwnedResult() { Pexora_FreeResult(&result); }
  bool Found() const { return result.Success != 0 && result.MatchCount > 0; }
};

}  // namespace pexora::find
