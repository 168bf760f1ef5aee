#include "BasicPair.h"

#include <algorithm>
#include <stdexcept>

#include "BasicScene.h"
#include "PictureFiles.h"
#include "ScalarCheck.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kQuality = 90;
constexpr int kCropX = 397, kCropY = 249, kCropW = 96, kCropH = 72;
constexpr int kDifferenceTolerance = 150;
// The defaults must find the crop with room to spare.
constexpr int kMostDifferences = kDifferenceTolerance * 2 / 3;

}  // namespace

Placement makeBasicPair(const std::filesystem::path& folder, std::ostream& report) {
  const Picture scene = paintBasicScene(kWidth, kHeight, 0xBA51C5CE4Eull);
  const std::string in = (folder / "SearchIn2.jpg").string(), forName = (folder / "SearchFor2.jpg").string();
  PictureFiles::saveJpeg(scene, in, kQuality);
  PictureFiles::saveJpeg(scene.crop(kCropX, kCropY, kCropW, kCropH), forName, kQuality);

  const ScalarCheck::Place place{kCropX, kCropY};
  for (const bool accurate : {true, false}) {
    const Picture searchIn = PictureFiles::load(in, accurate), searchFor = PictureFiles::load(forName, accurate);
    const int atDefaults = ScalarCheck::differences(searchIn, searchFor, place, {}, false);
    const int atZero = ScalarCheck::differences(searchIn, searchFor, place, {0, 0, 0, 0}, false);
    report << "seekbasic (" << (accurate ? "accurate" : "fast") << " JPEG decoding): " << atDefaults << " of "
           << kCropW * kCropH << " pixels differ at tolerance 15, " << atZero << " at tolerance 0\n";
    if (atDefaults > kMostDifferences) throw std::runtime_error("seekbasic: the crop differs too much at the defaults");
    if (atZero <= kDifferenceTolerance) throw std::runtime_error("seekbasic: the crop matches even at tolerance 0");
    constexpr int kCap = 4 * kDifferenceTolerance;
    const int closest = ScalarCheck::closestElsewhere(searchIn, searchFor, place, {}, false, kCap);
    report << "seekbasic: the closest place elsewhere differs in " << (closest > kCap ? "more than " : "")
           << std::min(closest, kCap) << " pixels\n";
    if (closest <= kDifferenceTolerance) throw std::runtime_error("seekbasic: the crop also matches elsewhere");
  }
  return {"seekbasic", kCropX, kCropY, kCropW, kCropH};
}
