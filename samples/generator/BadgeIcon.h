#pragma once

#include "Picture.h"

// The search-for icon: a round badge with a white star, on a transparent
// background with anti-aliased (partially transparent) edges.
Picture paintBadgeIcon(int size);
