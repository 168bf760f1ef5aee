#pragma once

#include <cstdint>

#include "Picture.h"

// A desktop screenshot: a textured wallpaper, an editor window full of
// coloured text, a window with a photo, a chart and a table, a task bar; with
// a light grain over everything, as a camera or a scaled capture leaves it.
Picture paintBasicScene(int width, int height, uint64_t seed);
