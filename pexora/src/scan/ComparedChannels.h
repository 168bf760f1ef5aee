// The channels that a scan of a searched picture has to compare.
#pragma once

#include "image/ChannelPlanes.h"
#include "scan/SearchTemplate.h"

namespace pexora {

// The first channel that can decide a difference: 1 where alpha is not
// compared (an alpha mask) or where it cannot differ (an opaque searched
// picture and a template whose every tested pixel accepts alpha 255).
inline int FirstComparedChannel(const ChannelPlanes& in, const SearchTemplate& t) {
  return t.firstChannel == 1 || (in.opaque && t.acceptsOpaque) ? 1 : 0;
}

// The first channel that adds to a sum of differences: 1 where alpha is not
// compared or where every searched and search-for alpha is 255.
inline int FirstSummedChannel(const ChannelPlanes& in, const SearchTemplate& t) {
  return t.firstChannel == 1 || (in.opaque && t.exactlyOpaque) ? 1 : 0;
}

}  // namespace pexora
