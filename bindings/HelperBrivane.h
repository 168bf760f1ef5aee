// Elapsed-time text for the log.
#pragma once

#include <QString>

#include <cstdint>

namespace HelperBrivane {

// A count of milliseconds as hours, ":", minutes, ":", seconds, ".",
// hundredths ("01:02:03.45"): each field of at least two digits, the hours
// never capped, the hundredths cut, not rounded. 4294967295 (the 32-bit
// all-ones value) counts as 0. A negative count is written as "-" and the text
// of its magnitude.
QString mSec2Time(std::int64_t mSec);

}  // namespace HelperBrivane
