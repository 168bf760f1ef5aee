#include "BasicPair.h"

#include <stdexcept>

#include "BasicScene.h"
#include "PictureFiles.h"
#include "ScalarCheck.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kQuality = 90;
constexpr int kCropX = 389, kCropY = 246, kCropW = 96, kCropH = 72;
constexpr int kDifferenceTolerance = 150;
// The defaults must find the crop with room to spare.
constexpr int kMostDifferences = kDifferenceTolerance * 2 / 3;

bool overlapsCrop(ScalarCheck::Place p) {
  return p.x < kCropX + kCropW && kCropX < p.x + kCropW && p.y < kCropY + kCropH && kCropY < p.y + kCropH;
}

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
    if (!accurate) continue;
    const auto found = ScalarCheck::matches(searchIn, searchFor, {}, false, kDifferenceTolerance);
    int elsewhere = 0;
    for (const auto& p : found) elsewhere += !overlapsCrop(p);
    report << "seekbasic: " << found.size() << " matching places, all overlapping the crop: "
           << (elsewhere ? "no" : "yes") << "\n";
    if (elsewhere) throw std::runtime_error("seekbasic: the crop also matches elsewhere");
  }
  return {"seekbasic", kCropX, kCropY, kCropW, kCropH};
}
