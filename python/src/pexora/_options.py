"""Keyword options, checked, made into the library's records.

Each problem names its option: a value of the wrong kind raises TypeError, a
value out of its range ValueError. The defaults are pexora-find's: ARGB with
tolerance 15 in every channel (AHSL: 0.5), no differing pixel for exact and
a share of DEFAULT_SHARE of the compared pixels for argb and ahsl, several
matches, all threads.
"""

from __future__ import annotations

import ctypes
import decimal
import math
import numbers
import operator
import re
from collections.abc import Callable
from typing import Any, cast

from . import _records as r

INT32_MAX = 2**31 - 1
DEFAULT_ARGB_TOLERANCE = 15
DEFAULT_AHSL_TOLERANCE = 0.5
# How many compared pixels of a match may differ by default: a share for
# the models with tolerances (see docs/library.md for the measurement behind
# it), none for exact.
DEFAULT_SHARE = "1%"
DEFAULT_EXACT_DIFFERENCE = 0
# A share of the compared pixels: a percentage 0..100 with at most three
# decimals, so that the least match percentage it gives is exact.
_SHARE = re.compile(r"(100|[0-9]{1,2})(\.[0-9]{1,3})?%")
# Stretch bounds when only the other one is given.
SMALLEST_STRETCH = (1, 1)
LARGEST_STRETCH = (8192, 8192)

# Model -> (compare type, compare type with the alpha mask).
_MODELS = {
    "exact": (r.PX_COMPARE_TYPE_EXACT, None),
    "argb": (r.PX_COMPARE_TYPE_RELATIVE_ARGB, r.PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA),
    "ahsl": (r.PX_COMPARE_TYPE_RELATIVE_AHSL, r.PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA),
}


def whole(name: str, value: Any, low: int, high: int = INT32_MAX) -> int:
    """``value`` as an int within low..high."""
    if isinstance(value, bool):
        raise TypeError(f"{name}: expected a whole number, got {value!r}")
    try:
        number = operator.index(value)
    except TypeError:
        raise TypeError(f"{name}: expected a whole number, got {type(value).__name__} {value!r}") from None
    if not low <= number <= high:
        raise ValueError(f"{name}: must lie within {low}..{high}, got {number}")
    return number


def real(name: str, value: Any, low: float, high: float) -> float:
    """``value`` as a float within low..high (never NaN)."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name}: expected a number, got {type(value).__name__} {value!r}")
    number = float(value)
    if not low <= number <= high:  # NaN fails this too
        raise ValueError(f"{name}: must lie within {low:g}..{high:g}, got {number!r}")
    return number


def flag(name: str, value: Any) -> bool:
    if not isinstance(value, bool):
        raise TypeError(f"{name}: expected True or False, got {value!r}")
    return value


def numbers_of(name: str, value: Any, count: int, form: str) -> tuple[Any, ...]:
    """The items of a tuple or list of exactly ``count`` items."""
    if not isinstance(value, (tuple, list)):
        raise TypeError(f"{name}: expected {form}, got {type(value).__name__} {value!r}")
    if len(value) != count:
        raise ValueError(f"{name}: expected {form}, got {len(value)} values")
    return tuple(value)


def size(name: str, value: Any) -> r.TPXDimensions:
    width, height = numbers_of(name, value, 2, "(width, height)")
    return r.TPXDimensions(whole(f"{name} width", width, 1), whole(f"{name} height", height, 1))


def resampler(name: str, value: Any) -> int:
    if not isinstance(value, str):
        raise TypeError(f"{name}: expected a filter name, got {value!r}")
    try:
        return r.RESAMPLERS[value.lower()]
    except KeyError:
        raise ValueError(f"{name}: {value!r} is none of {', '.join(r.RESAMPLERS)}") from None


def create_parameters(resample: Any, resample_filter: str) -> r.TPXCreateObjectParameters:
    """Resampling at creation to (width, height), or none."""
    filter_value = resampler("resample_filter", resample_filter)
    if resample is None:
        return r.TPXCreateObjectParameters()
    return r.TPXCreateObjectParameters(r.PX_PROCESS_TYPE_RESAMPLE, size("resample", resample), filter_value)


def _tolerances(model: str, tolerance: Any) -> tuple[Any, ...]:
    """Four channel tolerances from one value or four."""
    if model == "exact":
        if tolerance is not None:
            raise ValueError("tolerance: model 'exact' takes no tolerance")
        return (0, 0, 0, 0)
    channels = "A, R, G, B" if model == "argb" else "A, H, S, L"
    if tolerance is None:
        tolerance = DEFAULT_ARGB_TOLERANCE if model == "argb" else DEFAULT_AHSL_TOLERANCE
    if isinstance(tolerance, (tuple, list)):
        values = numbers_of("tolerance", tolerance, 4, f"one number or four ({channels})")
    else:
        values = (tolerance,) * 4
    names = [f"tolerance {channel}" for channel in channels.split(", ")]
    if model == "argb":
        return tuple(whole(n, v, 0, 255) for n, v in zip(names, values))
    return tuple(real(n, v, 0.0, 1.0) for n, v in zip(names, values))


def difference_tolerance(model: str, difference: Any) -> tuple[int, float]:
    """The DifferenceTolerance and the least MatchPercentage of a difference
    option: a whole number of pixels, a share of the compared pixels such as
    ``"5%"`` (every size of a stretched search gets its own count, as the
    library counts MatchPercentage), or None for the model's default."""
    if difference is None:
        difference = DEFAULT_EXACT_DIFFERENCE if model == "exact" else DEFAULT_SHARE
    if isinstance(difference, str):
        share = _SHARE.fullmatch(difference)
        if share is None or decimal.Decimal(difference[:-1]) > 100:
            raise ValueError(
                f"difference: a share is a percentage 0..100 with at most three decimals and a '%', got {difference!r}"
            )
        # 100 - share in decimal, then rounded once to the nearest double.
        return INT32_MAX, float(100 - decimal.Decimal(difference[:-1]))
    if isinstance(difference, numbers.Real) and not isinstance(difference, (bool, numbers.Integral)):
        raise TypeError(
            f"difference: expected a whole number of pixels or a share such as '5%', "
            f"got {type(difference).__name__} {difference!r}"
        )
    return whole("difference", difference, 0), 0.0


def process_parameters(
    *,
    model: str,
    alpha: bool,
    tolerance: Any,
    difference: Any,
    stretch_min: Any,
    stretch_max: Any,
    stretch_filter: str,
    multiple: bool,
    threads: Any,
    status_callback: Any = None,
) -> r.TPXProcessParameters:
    """The process record. A share as ``difference`` sets DifferenceTolerance
    to its most: the search options must then carry its least percentage
    (search_options' ``least_percentage``, from difference_tolerance)."""
    if not isinstance(model, str):
        raise TypeError(f"model: expected 'exact', 'argb' or 'ahsl', got {model!r}")
    model = model.lower()
    if model not in _MODELS:
        raise ValueError(f"model: expected 'exact', 'argb' or 'ahsl', got {model!r}")
    plain, masked = _MODELS[model]
    if flag("alpha", alpha) and masked is None:
        raise ValueError("alpha: works with model 'argb' or 'ahsl', not 'exact'")
    p = r.TPXProcessParameters()
    p.CompareType = masked if alpha else plain
    channels = _tolerances(model, tolerance)
    if model == "ahsl":
        p.AHSLATolerance, p.AHSLHTolerance, p.AHSLSTolerance, p.AHSLLTolerance = channels
    else:
        p.ARGBATolerance, p.ARGBRTolerance, p.ARGBGTolerance, p.ARGBBTolerance = channels
    p.DifferenceTolerance = difference_tolerance(model, difference)[0]
    filter_value = resampler("stretch_filter", stretch_filter)
    if stretch_min is not None or stretch_max is not None:
        p.StretchCompare = r.BOOL8_TRUE
        p.MinimalStretchSize = size("stretch_min", SMALLEST_STRETCH if stretch_min is None else stretch_min)
        p.MaximalStretchSize = size("stretch_max", LARGEST_STRETCH if stretch_max is None else stretch_max)
        p.StretchResampler = filter_value
    p.MultipleMatches = r.BOOL8_TRUE if flag("multiple", multiple) else 0
    if isinstance(threads, str) and threads == "all":
        p.MultiThreadedProcessing = r.BOOL32_TRUE
    elif isinstance(threads, numbers.Integral) and not isinstance(threads, bool) and threads == 1:
        p.MultiThreadedProcessing = 0
    else:
        raise ValueError(f"threads: expected 'all' or 1, got {threads!r}")
    if status_callback is not None:
        p.StatusCallback = status_callback
    return p


# The longest time limit, in seconds: the library's is in milliseconds, in 32 bits.
LONGEST_TIMEOUT = 2_000_000.0


def search_options(
    *,
    region: Any,
    min_percentage: Any,
    max_matches: Any,
    least_percentage: float = 0.0,
    timeout: Any = None,
    stopping: bool = False,
) -> r.TPXSearchOptions:
    """The options record; ``least_percentage`` is the least MatchPercentage a
    share of differing pixels allows (difference_tolerance). With ``timeout``
    (seconds) or ``stopping`` (an interrupt callback will be set) the record of
    1.1, else 1.0's."""
    o = r.TPXSearchOptions()
    o.Size = ctypes.sizeof(r.TPXSearchOptions) if timeout is not None or stopping else r.SEARCH_OPTIONS_SIZE_1_0
    if region is not None:
        x, y, width, height = numbers_of("region", region, 4, "(x, y, width, height)")
        o.UseRegion = r.BOOL32_TRUE
        o.Region = r.TPXRect(
            whole("region x", x, 0),
            whole("region y", y, 0),
            whole("region width", width, 1),
            whole("region height", height, 1),
        )
    o.MinimalMatchPercentage = max(real("min_percentage", min_percentage, 0.0, 100.0), least_percentage)
    o.MaximalMatchCount = whole("max_matches", max_matches, 0)
    if timeout is not None:
        seconds = real("timeout", timeout, 0.0, LONGEST_TIMEOUT)
        if seconds <= 0:
            raise ValueError(f"timeout: must be above 0 seconds, got {seconds!r}")
        # Whole milliseconds, rounded up: a limit never ends a search early.
        o.TimeLimit = max(1, math.ceil(seconds * 1000))
    return o


def stop_event(stop: Any) -> Any:
    """``stop`` if it is None or has an ``is_set()`` method (a threading.Event)."""
    if stop is not None and not callable(getattr(stop, "is_set", None)):
        raise TypeError(f"stop: expected a threading.Event or anything with is_set(), got {stop!r}")
    return stop


def progress_callable(progress: Any) -> Callable[[float], object] | None:
    if progress is not None and not callable(progress):
        raise TypeError(f"progress: expected a callable that takes a percentage, got {progress!r}")
    return cast("Callable[[float], object] | None", progress)
