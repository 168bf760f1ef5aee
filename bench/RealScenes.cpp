#include "RealScenes.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "TestPictures.h"
#include "decode/PictureFile.h"

namespace pexora::bench {

namespace {

struct Placed {
  const char* file;  // below skimage/
  int32_t x, y;
};

// Photographs on the page, with white space between them.
constexpr Placed kPage[] = {
    {"astronaut.png", 40, 40},        {"coffee.png", 620, 60}, {"chelsea.png", 1300, 80},
    {"motorcycle_left.png", 40, 570}, {"coins.png", 860, 640}, {"camera.png", 1340, 520},
};

struct CropPlace {
  const char* name;
  int32_t x, y, size;
};

// Crops inside the photographs: the astronaut's badge, the coffee cup's rim, the cat's face.
constexpr CropPlace kCrops[] = {
    {"page-32", 900, 230, 32},
    {"page-64", 170, 150, 64},
    {"page-128", 1450, 130, 128},
};

}  // namespace

std::filesystem::path RealPicturesFolder() {
  if (const char* folder = std::getenv("PEXORA_REAL_PICTURES")) return folder;
  return std::filesystem::path(PEXORA_SOURCE_DIR) / "build" / "real-pictures";
}

std::vector<RealScene> MakeRealScenes(const std::filesystem::path& pictures, const std::filesystem::path& out) {
  Image page{1920, 1080, std::vector<uint32_t>(size_t{1920} * 1080, 0xFFFFFFFFu)};
  for (const Placed& p : kPage) {
    const std::filesystem::path file = pictures / "skimage" / p.file;
    if (!std::filesystem::exists(file)) {
      throw std::runtime_error(file.string() + " is missing: run scripts/fetch-real-pictures.sh");
    }
    test::Stamp(page, DecodePictureFile(file.string()), p.x, p.y);
  }
  test::SavePicture(page, out / "page.jpg", test::FileFormat::kJpeg, 85);
  std::vector<RealScene> scenes;
  for (const CropPlace& c : kCrops) {
    const std::filesystem::path crop = out / (std::string(c.name) + ".png");
    test::SavePicture(test::Crop(page, c.x, c.y, c.size, c.size), crop, test::FileFormat::kPng);
    scenes.push_back({c.name, out / "page.jpg", crop, c.x, c.y});
  }

  const std::filesystem::path screen = pictures / "screenshot" / "screen.png";
  std::ifstream control(pictures / "screenshot" / "control.txt");
  int32_t x = 0, y = 0, w = 0, h = 0;
  if (!(control >> x >> y >> w >> h)) {
    throw std::runtime_error("no screenshot: run scripts/make-benchmark-screenshot.sh");
  }
  const std::filesystem::path button = out / "screen-button.png";
  test::SavePicture(test::Crop(DecodePictureFile(screen.string()), x, y, w, h), button, test::FileFormat::kPng);
  scenes.push_back({"screen", screen, button, x, y});
  return scenes;
}

}  // namespace pexora::bench
