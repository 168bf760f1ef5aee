// Evaluates the matching rules of one or more builds of libpexora.so on
// prepared cases: for each case, build and colour model, the tolerances at
// which the search-for picture is found at its true place and nowhere else.
//
// Usage: pexora_rule_evaluation CASES LABEL=LIBRARY...
//
// CASES holds one case a line, fields separated by tabs:
//   name  kind  search-in file  search-for file  x  y  width  height  difference-tolerance
// kind is "plain" (RELATIVE_ARGB and RELATIVE_AHSL), "alpha" (the _ALPHA
// types) or "stretch" (the _ALPHA types, stretched 20 x 20 .. 100 x 100 with
// the bilinear filter, as seekscaled does); x, y, width, height is the true
// place. Lines starting with # are skipped.
//
// Every channel tolerance takes the same value, stepping up a ladder from 0;
// AHSL tolerances are the ARGB steps divided by 255. A step finds the case
// when the comparison (several matches) reports exactly one match and it lies
// at the true place with the true size. The ladder stops once a match appears
// that does not overlap the true place (no higher tolerance can lose it).
// Printed per library and model: the lowest and highest step that find the
// case ("-" if none does), as a Markdown table.
#define PX_NO_PROTOTYPES
#include "pexora/pexora.h"

#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "CreatedObject.h"

namespace {

struct Library {
  using Create = int32_t(PX_CALL*)(TPXObject*, TPXCreateObjectParameters);
  using Free = int32_t(PX_CALL*)(TPXObject*);
  using Compare = int32_t(PX_CALL*)(TPXObject, TPXObject, TPXProcessParameters, TPXResult*, void*);
  using FreeResult = TPXBool32(PX_CALL*)(TPXResult*);

  Library(std::string name, const std::string& path) : label(std::move(name)) {
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw std::runtime_error("cannot load " + path + ": " + dlerror());
    create = reinterpret_cast<Create>(Find("Pexora_CreateObject"));
    free = reinterpret_cast<Free>(Find("Pexora_FreeObject"));
    compare = reinterpret_cast<Compare>(Find("Pexora_Compare"));
    freeResult = reinterpret_cast<FreeResult>(Find("Pexora_FreeResult"));
  }
  void* Find(const char* name) {
    void* address = dlsym(handle, name);
    if (address == nullptr) throw std::runtime_error(std::string("no export ") + name);
    return address;
  }

  pexora::test::ObjectExports objectExports() const { return {create, free}; }

  std::string label;
  void* handle = nullptr;
  Create create = nullptr;
  Free free = nullptr;
  Compare compare = nullptr;
  FreeResult freeResult = nullptr;
};

struct Case {
  std::string name, kind, searchIn, searchFor;
  int32_t x = 0, y = 0, width = 0, height = 0, differenceTolerance = 0;
};

std::vector<Case> ReadCases(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::vector<Case> cases;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Case c;
    std::string number[5];
    std::getline(fields, c.name, '\t');
    std::getline(fields, c.kind, '\t');
    std::getline(fields, c.searchIn, '\t');
    std::getline(fields, c.searchFor, '\t');
    for (std::string& n : number) std::getline(fields, n, '\t');
    if (number[4].empty()) throw std::runtime_error("short case line: " + line);
    c.x = std::stoi(number[0]);
    c.y = std::stoi(number[1]);
    c.width = std::stoi(number[2]);
    c.height = std::stoi(number[3]);
    c.differenceTolerance = std::stoi(number[4]);
    cases.push_back(c);
  }
  return cases;
}

const int kLadder[] = {0,  1,  2,  3,  4,  5,  6,  8,   10,  12,  15,  18,  22, 26,
                       30, 35, 40, 50, 60, 70, 80, 100, 120, 150, 180, 220, 255};

enum class Outcome { kFound, kNotYet, kElsewhere };

Outcome Try(Library& library, const pexora::test::CreatedObject& in, const pexora::test::CreatedObject& of,
            const Case& c, bool ahsl, int step) {
  TPXProcessParameters p{};
  const bool alpha = c.kind != "plain";
  p.CompareType = ahsl ? (alpha ? PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA : PX_COMPARE_TYPE_RELATIVE_AHSL)
                       : (alpha ? PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA : PX_COMPARE_TYPE_RELATIVE_ARGB);
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = static_cast<uint8_t>(step);
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = step / 255.0;
  p.DifferenceTolerance = c.differenceTolerance;
  p.MultipleMatches = 1;
  p.MultiThreadedProcessing = -1;
  if (c.kind == "stretch") {
    p.StretchCompare = 1;
    p.MinimalStretchSize = {20, 20};
    p.MaximalStretchSize = {100, 100};
    p.StretchResampler = PX_RESAMPLER_BILINEAR;
  }
  TPXResult result{};
  const int32_t code = library.compare(in.record, of.record, p, &result, nullptr);
  if (code != PX_OK) throw std::runtime_error(c.name + ": compare gave code " + std::to_string(code));
  bool atPlace = false, elsewhere = false;
  for (int32_t i = 0; i < result.MatchCount; ++i) {
    const TPXResultMatches& m = result.Matches[i];
    const bool exact =
        m.Position.X == c.x && m.Position.Y == c.y && m.Dimensions.Width == c.width && m.Dimensions.Height == c.height;
    const bool apart = m.Position.X >= c.x + c.width || c.x >= m.Position.X + m.Dimensions.Width ||
                       m.Position.Y >= c.y + c.height || c.y >= m.Position.Y + m.Dimensions.Height;
    atPlace = atPlace || exact;
    elsewhere = elsewhere || apart;
  }
  const int32_t count = result.MatchCount;
  if (result.Success) library.freeResult(&result);
  if (elsewhere) return Outcome::kElsewhere;
  return atPlace && count == 1 ? Outcome::kFound : Outcome::kNotYet;
}

std::string Step(int step, bool ahsl) {
  if (!ahsl) return std::to_string(step);
  char text[16];
  std::snprintf(text, sizeof text, "%.3f", step / 255.0);
  return text;
}

std::string FoundRange(Library& library, const Case& c, bool ahsl) {
  const pexora::test::CreatedObject in(c.searchIn, {}, library.objectExports()),
      of(c.searchFor, {}, library.objectExports());
  in.ThrowUnlessCreated();
  of.ThrowUnlessCreated();
  int lowest = -1, highest = -1;
  for (const int step : kLadder) {
    const Outcome outcome = Try(library, in, of, c, ahsl, step);
    if (outcome == Outcome::kFound) {
      if (lowest < 0) lowest = step;
      highest = step;
    } else if (lowest >= 0 || outcome == Outcome::kElsewhere) {
      break;
    }
  }
  if (lowest < 0) return "-";
  return lowest == highest ? Step(lowest, ahsl) : Step(lowest, ahsl) + " - " + Step(highest, ahsl);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: pexora_rule_evaluation CASES LABEL=LIBRARY...\n";
    return 2;
  }
  try {
    const std::vector<Case> cases = ReadCases(argv[1]);
    std::vector<std::unique_ptr<Library>> libraries;
    for (int i = 2; i < argc; ++i) {
      const std::string argument = argv[i];
      const size_t equals = argument.find('=');
      if (equals == std::string::npos) throw std::runtime_error("not LABEL=LIBRARY: " + argument);
      libraries.push_back(std::make_unique<Library>(argument.substr(0, equals), argument.substr(equals + 1)));
      // The loader hands out a loaded library again for the same name.
      for (size_t k = 0; k + 1 < libraries.size(); ++k) {
        if (libraries[k]->handle == libraries.back()->handle)
          throw std::runtime_error("the same library twice: " + argument);
      }
    }
    std::cout << "| case | difference tolerance |";
    for (const char* model : {"ARGB", "AHSL"}) {
      for (const auto& library : libraries) std::cout << ' ' << model << ' ' << library->label << " |";
    }
    std::cout << "\n|---|---|";
    for (size_t i = 0; i < 2 * libraries.size(); ++i) std::cout << "---|";
    std::cout << '\n';
    for (const Case& c : cases) {
      std::cout << "| " << c.name << " | " << c.differenceTolerance << " |" << std::flush;
      for (const bool ahsl : {false, true}) {
        for (const auto& library : libraries) std::cout << ' ' << FoundRange(*library, c, ahsl) << " |" << std::flush;
      }
      std::cout << '\n';
    }
  } catch (const std::exception& error) {
    std::cerr << "pexora_rule_evaluation: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
