#include "merge/TemplateRows.h"

namespace pexora {

TemplateRows::TemplateRows(const SearchTemplate& t, int firstChannel)
    : width(t.width), height(t.height), model(t.model), firstChannel(firstChannel) {
  const size_t count = static_cast<size_t>(t.width) * static_cast<size_t>(t.height) + kPadding;
  const bool ahsl = model == ColorModel::kAhsl;
  for (int c = firstChannel; c < 4; ++c) {
    if (ahsl && c == 1) continue;
    low[static_cast<size_t>(c)].assign(count, 0);
    high[static_cast<size_t>(c)].assign(count, 0xFFFF);
  }
  if (ahsl) {
    hue.assign(count, 0);
    hueChroma.assign(count, 0);
    hueSlack.assign(count, 0);
  }
  for (const TemplatePixel& p : t.pixels) {
    const size_t i = static_cast<size_t>(p.y) * static_cast<size_t>(t.width) + static_cast<size_t>(p.x);
    for (int c = firstChannel; c < 4; ++c) {
      if (ahsl && c == 1) continue;
      low[static_cast<size_t>(c)][i] = p.exactLow[static_cast<size_t>(c)];
      high[static_cast<size_t>(c)][i] = p.exactHigh[static_cast<size_t>(c)];
    }
    if (ahsl) {
      hue[i] = p.hue;
      hueChroma[i] = p.hueChroma;
      hueSlack[i] = p.hueSlack;
    }
  }
}

}  // namespace pexora
