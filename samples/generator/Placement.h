#pragma once

#include <string>

// Where a generator put a search-for picture in its search-in picture, as one
// line of expected.txt: "<program> <x> <y> <width> <height>".
struct Placement {
  std::string program;
  int x = 0, y = 0, width = 0, height = 0;

  std::string line() const {
    return program + " " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
           std::to_string(height);
  }
};
