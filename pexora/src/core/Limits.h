// Size limits that keep hostile inputs from exhausting memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pexora {

// Largest picture, in pixels, that an object may hold (8192 x 8192).
inline constexpr int64_t kMaxPixels = int64_t{1} << 26;

// Longest file name, in UTF-16 code units, that is read from a caller's buffer.
inline constexpr size_t kMaxFileNameUnits = 32768;

// Largest picture file that is read, in bytes.
inline constexpr int64_t kMaxFileBytes = int64_t{1} << 30;

// Most memory that a decoding library may take for its own work on one file
// (libjpeg in all, libtiff in one allocation), besides the decoded picture.
inline constexpr int64_t kMaxDecoderBytes = int64_t{1} << 29;

// Most memory that the matching positions of one comparison with
// MultipleMatches may take before they are merged.
inline constexpr int64_t kMaxCandidateBytes = int64_t{1} << 30;

// Most memory that the box sums of a searched picture's planes take, for
// bounds of sums of differences; larger pictures merge without them.
inline constexpr int64_t kMaxBoxSumBytes = int64_t{1} << 28;

// Most memory that the run bounds of a searched picture's planes take, for
// rejecting blocks of positions at once; larger pictures are scanned without.
inline constexpr int64_t kMaxRunBoundBytes = int64_t{1} << 28;

// Most memory that one resampling or one comparison takes for its work,
// besides the objects it reads: checked from the sizes involved before any
// of it is allocated.
inline constexpr int64_t kMaxWorkingBytes = int64_t{1} << 31;

// Most memory that the channel planes of all objects take while no search
// uses them (kept for the next search of the same object).
inline constexpr int64_t kMaxCachedPlaneBytes = int64_t{1} << 28;

}  // namespace pexora
