// Benchmark scenes made of pictures nobody in this project made: photographs
// of python3-skimage composed on a white 1920 x 1080 page and saved as JPEG 85
// (searched for crops of 32, 64 and 128 pixels of the lossless page), and a
// screenshot of real X windows searched for one of its buttons. The pictures
// come from scripts/fetch-real-pictures.sh and
// scripts/make-benchmark-screenshot.sh.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pexora::bench {

struct RealScene {
  std::string name;
  std::filesystem::path searchIn;
  std::filesystem::path searchFor;
  int32_t x = 0, y = 0;  // where the search-for picture was taken from
};

// The folder the scripts fill: PEXORA_REAL_PICTURES, or build/real-pictures
// in the source tree.
std::filesystem::path RealPicturesFolder();

// Composes the page and writes the scenes' files into `out`. Throws when the
// fetched pictures are missing.
std::vector<RealScene> MakeRealScenes(const std::filesystem::path& pictures, const std::filesystem::path& out);

}  // namespace pexora::bench
