// The matches of a search, as lines of text or as JSON.
#pragma once

#include <ostream>
#include <string_view>

#include "pexora/pexora.h"

namespace pexora::find {

// One line per match:
// "position X,Y size WIDTHxHEIGHT difference D percentage P", each after
// `prefix`.
void PrintText(const TPXResult& result, std::ostream& out, std::string_view prefix = {});

// {"matches":[{"x":..,"y":..,"width":..,"height":..,"difference":..,
// "percentage":..},...]} on one line.
void PrintJson(const TPXResult& result, std::ostream& out);

// The list alone: [{"x":..,...},...].
void PrintJsonMatches(const TPXResult& result, std::ostream& out);

}  // namespace pexora::find
