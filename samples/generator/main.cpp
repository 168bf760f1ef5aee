// Writes the sample pictures of the three tutorial programs and expected.txt
// into the folder named on the command line, checking every pair on the way.
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "BasicPair.h"
#include "FilteredPair.h"
#include "ScaledPair.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: samplegen <output folder>\n";
    return 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const Placement placements[] = {makeBasicPair(folder, std::cout), makeScaledPair(folder, std::cout),
                                    makeFilteredPair(folder, std::cout)};
    std::ofstream expected(folder / "expected.txt");
    expected << "# program x y width height: where each search-for picture lies in its search-in picture\n";
    for (const Placement& p : placements) expected << p.line() << "\n";
    if (!expected.flush()) throw std::runtime_error("cannot write expected.txt");
  } catch (const std::exception& e) {
    std::cerr << "samplegen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
