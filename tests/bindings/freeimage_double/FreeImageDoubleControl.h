// What a test tells the FreeImage test double to do, and what the double saw.
// The test finds FreeImageDouble_Control in the loaded double by name.
#pragma once

#include <cstdint>

namespace FreeImageDouble {

enum class Throw : std::int32_t { Nowhere, InGetFileType, InLoad, InGetInfoHeader, InGetBits };

struct Control {
  // Answers of the file-type functions.
  std::int32_t fileType = -1;
  std::int32_t fifFromFilename = -1;
  // Whether FreeImage_Load hands back its 2 x 2 picture or no image.
  bool loadGivesPicture = false;
  Throw throwIn = Throw::Nowhere;

  // Calls seen, with the arguments of the last one.
  int getFileTypeCalls = 0;
  int fifFromFilenameCalls = 0;
  int loadCalls = 0;
  int unloadCalls = 0;
  std::int32_t lastSize = 0;
  std::int32_t lastLoadFormat = 0;
  std::int32_t lastLoadFlags = 0;
  char lastFileName[256] = {};
};

using t_Control = Control* (*)();
inline constexpr const char* ControlExport = "FreeImageDouble_Control";

}  // namespace FreeImageDouble
