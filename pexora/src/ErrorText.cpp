// A text for every result code.
#include <iterator>

#include "pexora/pexora.h"

namespace {

// Indexed by code.
constexpr const char* kTexts[] = {
    "no error",                                                           // PX_OK
    "unknown error",                                                      // PX_ERROR_UNKNOWN
    "not enough memory, or the picture is larger than 8192 x 8192 pixels",  // PX_ERROR_NOT_ENOUGH_MEMORY
    "the picture could not be loaded: missing, unreadable or not a PNG, JPEG, BMP, GIF or TIFF file",
    "not a valid search object",                                          // PX_ERROR_OBJECT
    "a size is out of range, or the search-for picture does not fit",     // PX_ERROR_DIMENSIONS
    "not available: unknown type or filter",                              // PX_ERROR_NOT_AVAILABLE
    "a parameter is out of range",                                        // PX_ERROR_INVALID_PARAMETER
};
static_assert(std::size(kTexts) == PX_ERROR_INVALID_PARAMETER + 1, "one text per code");

}  // namespace

extern "C" PX_API const char* PX_CALL Pexora_GetErrorText(int32_t Code) {
  if (Code < 0 || Code >= static_cast<int32_t>(std::size(kTexts))) return "unknown error code";
  return kTexts[Code];
}
