// An error that ends a library call with one of the PX_ERROR_... codes.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace pexora {

class StatusError : public std::runtime_error {
 public:
  explicit StatusError(int32_t code) : std::runtime_error("pexora status error"), code_(code) {}
  int32_t code() const noexcept { return code_; }

 private:
  int32_t code_;
};

}  // namespace pexora
