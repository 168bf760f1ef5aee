#include "FilteredPair.h"

#include <FreeImage.h>

#include <stdexcept>

#include "LandscapeScene.h"
#include "PictureFiles.h"
#include "ScalarCheck.h"

namespace {

constexpr int kQuality = 90, kSide = 100, kDifferenceTolerance = 100;
constexpr int kMostDifferences = kDifferenceTolerance / 2;

}  // namespace

Placement makeFilteredPair(const std::filesystem::path& folder, std::ostream& report) {
  // Drawn large and scaled down, as a camera would take it.
  const Picture scene = paintLandscapeScene(1600, 1200, 0xF117E4EDull);
  const std::string in = (folder / "SearchInResample.jpg").string(),
                    forName = (folder / "SearchForResample.jpg").string();
  PictureFiles::saveJpeg(PictureFiles::rescale(scene, 400, 300, FILTER_CATMULLROM), in, kQuality);
  PictureFiles::saveJpeg(PictureFiles::rescale(scene, 200, 150, FILTER_CATMULLROM), forName, kQuality);

  for (const bool accurate : {true, false}) {
    const Picture searchIn = PictureFiles::rescale(PictureFiles::load(in, accurate), kSide, kSide, FILTER_BILINEAR);
    const Picture searchFor =
        PictureFiles::rescale(PictureFiles::load(forName, accurate), kSide, kSide, FILTER_BILINEAR);
    const int count = ScalarCheck::differences(searchIn, searchFor, {0, 0}, {}, false);
    const int atZero = ScalarCheck::differences(searchIn, searchFor, {0, 0}, {0, 0, 0, 0}, false);
    report << "seekfiltered (" << (accurate ? "accurate" : "fast") << " JPEG decoding): " << count << " of "
           << kSide * kSide << " pixels differ at tolerance 15 after resampling both to " << kSide << "x" << kSide
           << ", " << atZero << " at tolerance 0\n";
    if (count > kMostDifferences) throw std::runtime_error("seekfiltered: the two sizes differ too much");
  }
  return {"seekfiltered", 0, 0, kSide, kSide};
}
