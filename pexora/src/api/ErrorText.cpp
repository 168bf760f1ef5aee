// A text for every result code.
#include "pexora/pexora.h"

namespace {

struct CodeText {
  int32_t code;
  const char* text;
};

constexpr CodeText kTexts[] = {
    {PX_OK, "no error"},
    {PX_ERROR_UNKNOWN, "unknown error"},
    {PX_ERROR_NOT_ENOUGH_MEMORY, "not enough memory, or the picture is larger than 8192 x 8192 pixels"},
    {PX_ERROR_LOADING,
     "the picture could not be loaded: missing, unreadable or not a PNG, JPEG, BMP, GIF or TIFF file"},
    {PX_ERROR_OBJECT, "not a valid search object"},
    {PX_ERROR_DIMENSIONS, "a size is out of range, or the search-for picture does not fit"},
    {PX_ERROR_NOT_AVAILABLE, "not available: unknown type or filter, or no X display"},
    {PX_ERROR_INVALID_PARAMETER, "a parameter is out of range"},
    {PX_ERROR_STOPPED, "the comparison was stopped by its interrupt callback"},
    {PX_ERROR_TIME_LIMIT, "the comparison reached its time limit"},
};

}  // namespace

extern "C" PX_API const char* PX_CALL Pexora_GetErrorText(int32_t Code) {
  for (const CodeText& entry : kTexts) {
    if (entry.code == Code) return entry.text;
  }
  return "unknown error code";
}
