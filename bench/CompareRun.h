// One Pexora_Compare through the library's exports, measured: its duration,
// the progress reports against time, and the peak memory it added.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "CreatedObject.h"
#include "pexora/pexora.h"

namespace pexora::bench {

// A search object created through Pexora_CreateObject, freed with the
// object; throws when the library cannot create it.
struct LibraryObject : test::CreatedObject {
  explicit LibraryObject(const std::filesystem::path& file, TPXCreateObjectParameters parameters = {})
      : CreatedObject(file, parameters) {
    ThrowUnlessCreated();
  }
};

struct CompareRun {
  int32_t code = PX_OK;
  int32_t matchCount = 0;
  int32_t firstX = -1, firstY = -1;
  double seconds = 0;
  // When 50 % was reported, as a fraction of the call's duration (-1: never).
  double halfwayAt = -1;
  // The longest time without a progress report, from the call's start to its end.
  double longestSilence = 0;
  // Peak resident memory during the call above the resident memory before it.
  double peakMegabytes = 0;
};

CompareRun RunCompare(const LibraryObject& in, const LibraryObject& of, const TPXProcessParameters& parameters);

}  // namespace pexora::bench
