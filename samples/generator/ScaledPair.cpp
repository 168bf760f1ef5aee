#include "ScaledPair.h"

#include <FreeImage.h>

#include <algorithm>
#include <stdexcept>

#include "BadgeIcon.h"
#include "BusyScene.h"
#include "PictureFiles.h"
#include "ScalarCheck.h"

namespace {

constexpr int kWidth = 480, kHeight = 360, kIconSize = 64;
constexpr int kDrawnSize = 80, kDrawnX = 297, kDrawnY = 131;
constexpr int kDifferenceTolerance = 45;

}  // namespace

Placement makeScaledPair(const std::filesystem::path& folder, std::ostream& report) {
  const Picture icon = paintBadgeIcon(kIconSize);
  Picture scene = paintBusyScene(kWidth, kHeight, 0x5CA1EDB05Eull);
  // The icon goes in as the search library stretches it (bilinear), stamped
  // hard: every pixel the stretched icon covers at all takes the icon's
  // colour. Blending the soft edge with the scene would leave edge pixels that
  // differ by a (1 - a) |scene - icon|, far beyond the tolerance.
  const Picture stretched = PictureFiles::rescale(icon, kDrawnSize, kDrawnSize, FILTER_BILINEAR);
  for (int y = 0; y < kDrawnSize; ++y)
    for (int x = 0; x < kDrawnSize; ++x)
      if (const Rgba& p = stretched.at(x, y); p.a != 0) scene.at(kDrawnX + x, kDrawnY + y) = {p.r, p.g, p.b, 255};

  const std::string in = (folder / "SearchInAlphaStretched.PNG").string();
  const std::string forName = (folder / "SearchForAlpha.png").string();
  PictureFiles::savePng(scene, in, PictureFiles::Channels::Rgb);
  PictureFiles::savePng(icon, forName, PictureFiles::Channels::Rgba);

  const Picture searchIn = PictureFiles::load(in), searchFor = PictureFiles::load(forName);
  int best = -1;
  for (int size = kDrawnSize - 2; size <= kDrawnSize + 2; ++size) {
    const Picture sized = PictureFiles::rescale(searchFor, size, size, FILTER_BILINEAR);
    const int count = ScalarCheck::differences(searchIn, sized, {kDrawnX, kDrawnY}, {}, true);
    report << "seekscaled: icon stretched to " << size << "x" << size << ", " << count
           << " pixels differ at the drawn place\n";
    if (size == kDrawnSize) best = count;
  }
  if (best != 0) throw std::runtime_error("seekscaled: the stretched icon differs at the drawn place");
  const Picture sized = PictureFiles::rescale(searchFor, kDrawnSize, kDrawnSize, FILTER_BILINEAR);
  constexpr int kCap = 4 * kDifferenceTolerance;
  const int closest = ScalarCheck::closestElsewhere(searchIn, sized, {kDrawnX, kDrawnY}, {}, true, kCap);
  report << "seekscaled: at " << kDrawnSize << "x" << kDrawnSize << " the closest place elsewhere differs in "
         << (closest > kCap ? "more than " : "") << std::min(closest, kCap) << " pixels\n";
  if (closest <= kDifferenceTolerance) throw std::runtime_error("seekscaled: the icon also matches elsewhere");
  return {"seekscaled", kDrawnX, kDrawnY, kDrawnSize, kDrawnSize};
}
