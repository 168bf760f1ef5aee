#pragma once

#include "Colour.h"
#include "Painter.h"
#include "Prng.h"

// Writes lines of made-up glyphs (a few strokes each, grouped into words) that
// look like text at screenshot scale.
namespace PseudoText {

// One line from (x, baseline - height) that is at most maxWidth pixels wide.
void line(Painter& painter, Prng& rng, double x, double baseline, double height, double maxWidth, double thickness,
          Colour colour);

}  // namespace PseudoText
