"""The records and constants of libpexora's C interface, as ctypes types.

The records cross the library boundary byte for byte. ``layout_mismatches``
compares every size and offset with the library's published layout for the
pointer width of this Python, so that a mismatch stops the import instead of
handing the library a wrong record.
"""

from __future__ import annotations

import ctypes
from ctypes import POINTER, Structure, c_double, c_int32, c_uint8, c_uint32, c_void_p

# Result codes.
PX_OK = 0
PX_ERROR_UNKNOWN = 1
PX_ERROR_NOT_ENOUGH_MEMORY = 2
PX_ERROR_LOADING = 3
PX_ERROR_OBJECT = 4
PX_ERROR_DIMENSIONS = 5
PX_ERROR_NOT_AVAILABLE = 6
PX_ERROR_INVALID_PARAMETER = 7
PX_ERROR_STOPPED = 8
PX_ERROR_TIME_LIMIT = 9

PX_STATUS_PROGRESS = 1

PX_COMPARE_TYPE_EXACT = 0
PX_COMPARE_TYPE_RELATIVE_ARGB = 1
PX_COMPARE_TYPE_RELATIVE_AHSL = 2
PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA = 3
PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA = 4

PX_PROCESS_TYPE_NONE = 0
PX_PROCESS_TYPE_RESAMPLE = 1

# Resampling filters by the names pexora-find uses.
RESAMPLERS = {
    "box": 0,
    "bicubic": 1,
    "bilinear": 2,
    "bspline": 3,
    "catmullrom": 4,
    "lanczos3": 5,
}

# Booleans at the boundary: 8-bit ones are 1 for true, 32-bit ones -1.
BOOL8_TRUE = 1
BOOL32_TRUE = -1

# The largest picture the library takes, in pixels.
MAX_PIXELS = 8192 * 8192

# i386 aligns a double inside a struct to 4 bytes; the library aligns its
# float64 fields to 8, which these gaps restore there (and which are empty
# where doubles are 8-aligned anyway).
_DOUBLE_GAP = [] if ctypes.alignment(c_double) >= 8 else [("_gap", c_int32)]


class TPXDimensions(Structure):
    _fields_ = [("Width", c_int32), ("Height", c_int32)]


class TPXPoint(Structure):
    _fields_ = [("X", c_int32), ("Y", c_int32)]


class TPXRect(Structure):
    _fields_ = [("X", c_int32), ("Y", c_int32), ("Width", c_int32), ("Height", c_int32)]


class TPXObject(Structure):
    _fields_ = [
        ("FileName", c_void_p),  # zero-terminated UTF-16, the caller's
        ("ImageObject", c_void_p),  # the library's handle
        ("OriginalDimensions", TPXDimensions),
        ("ProcessedDimensions", TPXDimensions),
        ("User", c_void_p),
    ]


class TPXCreateObjectParameters(Structure):
    _fields_ = [("ProcessType", c_int32), ("Dimensions", TPXDimensions), ("Resampler", c_int32)]


TPXStatusCallback = ctypes.CFUNCTYPE(None, c_double, c_int32, c_void_p)


class TPXProcessParameters(Structure):
    _fields_ = [
        ("CompareType", c_int32),
        ("ARGBATolerance", c_uint8),
        ("ARGBRTolerance", c_uint8),
        ("ARGBGTolerance", c_uint8),
        ("ARGBBTolerance", c_uint8),
        ("AHSLATolerance", c_double),
        ("AHSLHTolerance", c_double),
        ("AHSLSTolerance", c_double),
        ("AHSLLTolerance", c_double),
        ("DifferenceTolerance", c_int32),
        ("StretchCompare", c_uint8),
        ("MinimalStretchSize", TPXDimensions),
        ("MaximalStretchSize", TPXDimensions),
        ("StretchResampler", c_int32),
        ("MultipleMatches", c_uint8),
        ("MultiThreadedProcessing", c_int32),
        ("StatusCallback", TPXStatusCallback),
    ]


class TPXResultMatches(Structure):
    _fields_ = [
        ("Position", TPXPoint),
        ("Dimensions", TPXDimensions),
        ("Difference", c_int32),
        *_DOUBLE_GAP,
        ("MatchPercentage", c_double),
    ]


class TPXResult(Structure):
    _fields_ = [("Success", c_int32), ("MatchCount", c_int32), ("Matches", POINTER(TPXResultMatches))]


TPXInterruptCallback = ctypes.CFUNCTYPE(c_int32, c_void_p)


class TPXSearchOptions(Structure):
    _fields_ = [
        ("Size", c_uint32),
        ("UseRegion", c_int32),
        ("Region", TPXRect),
        ("MinimalMatchPercentage", c_double),
        ("MaximalMatchCount", c_int32),
        # Since 1.1.
        ("TimeLimit", c_int32),
        ("InterruptCallback", TPXInterruptCallback),
        ("InterruptUser", c_void_p),
    ]


# The size of 1.0's options record, which has no time limit or interrupt.
SEARCH_OPTIONS_SIZE_1_0 = 40


# The library's layout: (record, field or None for the size, 64-bit, 32-bit).
PUBLISHED_LAYOUT = [
    (TPXDimensions, None, 8, 8),
    (TPXCreateObjectParameters, None, 16, 16),
    (TPXCreateObjectParameters, "Resampler", 12, 12),
    (TPXObject, None, 40, 28),
    (TPXObject, "ImageObject", 8, 4),
    (TPXObject, "OriginalDimensions", 16, 8),
    (TPXObject, "ProcessedDimensions", 24, 16),
    (TPXObject, "User", 32, 24),
    (TPXProcessParameters, None, 88, 80),
    (TPXProcessParameters, "ARGBBTolerance", 7, 7),
    (TPXProcessParameters, "AHSLATolerance", 8, 8),
    (TPXProcessParameters, "AHSLLTolerance", 32, 32),
    (TPXProcessParameters, "DifferenceTolerance", 40, 40),
    (TPXProcessParameters, "StretchCompare", 44, 44),
    (TPXProcessParameters, "MinimalStretchSize", 48, 48),
    (TPXProcessParameters, "MaximalStretchSize", 56, 56),
    (TPXProcessParameters, "StretchResampler", 64, 64),
    (TPXProcessParameters, "MultipleMatches", 68, 68),
    (TPXProcessParameters, "MultiThreadedProcessing", 72, 72),
    (TPXProcessParameters, "StatusCallback", 80, 76),
    (TPXResultMatches, None, 32, 32),
    (TPXResultMatches, "Difference", 16, 16),
    (TPXResultMatches, "MatchPercentage", 24, 24),
    (TPXResult, None, 16, 12),
    (TPXResult, "Matches", 8, 8),
    (TPXSearchOptions, None, 56, 48),
    (TPXSearchOptions, "Region", 8, 8),
    (TPXSearchOptions, "MinimalMatchPercentage", 24, 24),
    (TPXSearchOptions, "MaximalMatchCount", 32, 32),
    (TPXSearchOptions, "TimeLimit", 36, 36),
    (TPXSearchOptions, "InterruptCallback", 40, 40),
    (TPXSearchOptions, "InterruptUser", 48, 44),
]


def layout_mismatches(layout: list[tuple[type[Structure], str | None, int, int]] = PUBLISHED_LAYOUT) -> list[str]:
    """Every size or offset of ``layout`` that the ctypes records do not have."""
    wide = ctypes.sizeof(c_void_p) == 8
    wrong = []
    for record, field, at64, at32 in layout:
        expected = at64 if wide else at32
        actual = ctypes.sizeof(record) if field is None else getattr(record, field).offset
        if actual != expected:
            what = f"{record.__name__}.{field} offset" if field else f"{record.__name__} size"
            wrong.append(f"{what} is {actual}, the library's is {expected}")
    return wrong
