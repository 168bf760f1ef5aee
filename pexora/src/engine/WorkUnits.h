// The work units of a scan and their order: for each size, its preparation
// and then its rows, each size prepared one size ahead of its rows so that
// the threads rarely wait for a preparation and only a few sizes are held at
// a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pexora/pexora.h"
#include "scan/SizedTemplates.h"

namespace pexora {

struct WorkUnit {
  size_t size;
  int32_t row;  // -1: prepare the size
};

// The rows of one size in an order whose every beginning is spread over the
// whole picture, so that the time of the first rows tells the time of all:
// blocks of consecutive rows (which share most of the searched pixels they
// read) in bit-reversed order.
std::vector<int32_t> SpreadRows(int32_t rows);

// Every unit of a scan of `area`, in the order the threads take them.
std::vector<WorkUnit> ListWorkUnits(const TPXRect& area, const SizedTemplates& templates);

// How many units ListWorkUnits lists, without listing them.
int64_t CountWorkUnits(const TPXRect& area, const SizedTemplates& templates);

}  // namespace pexora
