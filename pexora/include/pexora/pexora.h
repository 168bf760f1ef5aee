/*
 * Pexora image-search library: public C interface.
 *
 * Finds where one picture (the search-for picture) lies in another (the
 * search-in picture): a caller creates a search object of each picture,
 * compares them with per-channel tolerances and a difference tolerance, reads
 * the matches, and hands result and objects back.
 *
 * Contents of this header, in order:
 *   Version, calling convention, result codes and constants.
 *   The records that cross the boundary, field by field.
 *   Shared rules, as named sections: Pictures, Pixel rules, Stretching,
 *     Ranking and overlaps, Progress, Memory, Threads and process exit.
 *   The five entry points of the original interface, each with its contract.
 *   Additions of versions 1.0 and 1.1: TPXRect, TPXSearchOptions (with the
 *     section Stopping), Pexora_GetVersion, Pexora_GetErrorText,
 *     Pexora_CreateObjectFromPixels.
 *   Layout checks.
 *
 * The records cross the library boundary byte for byte. Their layout is fixed
 * for 32-bit x86 and for x86-64; every size and offset is checked by the
 * static assertions at the end of this header for the pointer width being
 * compiled. float64 fields carry an explicit 8-byte alignment because i386 gcc
 * would otherwise align a double inside a struct to 4 bytes.
 *
 * Callers that bind the library at run time define PX_NO_PROTOTYPES before
 * including this header: they get the records, constants and the callback type,
 * and declare their own entry-point variables.
 */
#ifndef PEXORA_PEXORA_H
#define PEXORA_PEXORA_H

/* The version of this header. Pexora_GetVersion gives the library's own as
 * PX_VERSION_NUMBER does: major * 10000 + minor * 100 + patch. */
#define PX_VERSION_MAJOR 1
#define PX_VERSION_MINOR 1
#define PX_VERSION_PATCH 0
#define PX_VERSION_NUMBER (PX_VERSION_MAJOR * 10000 + PX_VERSION_MINOR * 100 + PX_VERSION_PATCH)

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

/* Calling convention of the entry points and of the status callback: stdcall
 * on 32-bit Windows, the platform's C convention elsewhere. */
#if defined(_WIN32) && defined(__i386__)
#define PX_CALL __attribute__((stdcall))
#elif defined(_MSC_VER) && defined(_M_IX86)
#define PX_CALL __stdcall
#else
#define PX_CALL
#endif

/* Marks the entry points for export from the library and import into callers. */
#if defined(_WIN32)
#if defined(PEXORA_BUILDING_LIBRARY)
#define PX_API __declspec(dllexport)
#else
#define PX_API __declspec(dllimport)
#endif
#elif defined(PEXORA_BUILDING_LIBRARY)
#define PX_API __attribute__((visibility("default")))
#else
#define PX_API
#endif

/* An 8-byte alignment, for the float64 fields of the records. */
#if defined(__cplusplus)
#define PX_ALIGN8 alignas(8)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define PX_ALIGN8 _Alignas(8)
#else
#define PX_ALIGN8 __attribute__((aligned(8)))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. Every entry point that returns int32_t returns one of these;
 * Pexora_GetErrorText gives a text for each. */
#define PX_OK 0 /* success */
/* A null Result record for Pexora_Compare, a status callback that threw, or
 * any other failure that no other code names. */
#define PX_ERROR_UNKNOWN 1
/* The memory ran out, or a picture, file or working memory passes the limits
 * of the Memory section; always before the memory is taken. */
#define PX_ERROR_NOT_ENOUGH_MEMORY 2
/* A picture could not be read: its name is null, empty or not valid UTF-16,
 * the file is missing, unreadable, of another format, or broken. */
#define PX_ERROR_LOADING 3
/* A null record, or a handle that names no live search object. */
#define PX_ERROR_OBJECT 4
/* A size out of range (a resample size or stretch side below 1), or no size of
 * the search-for picture fits into the search-in picture or region. */
#define PX_ERROR_DIMENSIONS 5
/* An unknown ProcessType, Resampler, CompareType or StretchResampler; or, for
 * screen capture, no X display or X client library. */
#define PX_ERROR_NOT_AVAILABLE 6
/* Only from the entry points added in 1.0 and from Pexora_Compare with an
 * options record: an argument or an options field out of its range. */
#define PX_ERROR_INVALID_PARAMETER 7
/* Only from Pexora_Compare with an options record of 1.1 (see Stopping):
 * stopped by the options' InterruptCallback. */
#define PX_ERROR_STOPPED 8
/* Only from Pexora_Compare with an options record of 1.1: the options'
 * TimeLimit passed. */
#define PX_ERROR_TIME_LIMIT 9

/* StatusType of the status callback: a progress report. */
#define PX_STATUS_PROGRESS 1

/* CompareType: how a pixel is told to differ (see Pixel rules). */
#define PX_COMPARE_TYPE_EXACT 0               /* every channel equal */
#define PX_COMPARE_TYPE_RELATIVE_ARGB 1       /* within the ARGB tolerances */
#define PX_COMPARE_TYPE_RELATIVE_AHSL 2       /* within the AHSL tolerances */
#define PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA 3 /* ARGB, over any background */
#define PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA 4 /* AHSL, over any background */

/* ProcessType: what is done to a picture when its object is created. */
#define PX_PROCESS_TYPE_NONE 0     /* kept as decoded */
#define PX_PROCESS_TYPE_RESAMPLE 1 /* resampled to Dimensions with Resampler */

/* Resampler and StretchResampler: FreeImage's filters, by the same numbers. */
#define PX_RESAMPLER_BOX 0
#define PX_RESAMPLER_BICUBIC 1
#define PX_RESAMPLER_BILINEAR 2
#define PX_RESAMPLER_BSPLINE 3
#define PX_RESAMPLER_CATMULLROM 4
#define PX_RESAMPLER_LANCZOS3 5

/* Booleans at the boundary: 8-bit ones are written as 1 for true, 32-bit ones
 * as -1 (all bits set); any non-zero value reads as true. */
typedef uint8_t TPXBool8;
typedef int32_t TPXBool32;

/* A zero-terminated UTF-16 string. */
typedef char16_t TPXChar;

/* A size in pixels. */
typedef struct TPXDimensions {
  int32_t Width;  /* pixels across */
  int32_t Height; /* pixels down */
} TPXDimensions;

/* A point in pixels, from the top-left corner of a picture. */
typedef struct TPXPoint {
  int32_t X; /* pixels from the left edge */
  int32_t Y; /* pixels from the top edge */
} TPXPoint;

/* One search object: a picture the library has loaded. The record is the
 * caller's; the object behind ImageObject is the library's from a successful
 * create until a successful Pexora_FreeObject. */
typedef struct TPXObject {
  /* The caller's zero-terminated UTF-16 file name: read by Pexora_CreateObject
   * during the call only, never written or freed by the library. */
  const TPXChar* FileName;
  /* The library's handle of the object: set on a successful create, null
   * after a successful free; opaque to the caller (see Pexora_FreeObject). */
  void* ImageObject;
  /* The picture's size as decoded (or as given to a create from pixels). */
  TPXDimensions OriginalDimensions;
  /* The size after the create-time processing: what a comparison searches. */
  TPXDimensions ProcessedDimensions;
  /* The caller's value. The search-in record's User is passed to the status
   * callback; the library never reads it otherwise. */
  void* User;
} TPXObject;

/* How a picture is prepared when its object is created. */
typedef struct TPXCreateObjectParameters {
  int32_t ProcessType;      /* PX_PROCESS_TYPE_... */
  TPXDimensions Dimensions; /* the target size for PX_PROCESS_TYPE_RESAMPLE, each side at least 1 */
  int32_t Resampler;        /* PX_RESAMPLER_..., for PX_PROCESS_TYPE_RESAMPLE */
} TPXCreateObjectParameters;

/* The status callback: Progress in percent (0 to 100), StatusType
 * PX_STATUS_PROGRESS, and the search-in record's User (see Progress). */
typedef void(PX_CALL* TPXStatusCallback)(double Progress, int32_t StatusType, void* User);

/* How one comparison runs. */
typedef struct TPXProcessParameters {
  int32_t CompareType; /* PX_COMPARE_TYPE_... */
  /* RELATIVE_ARGB tolerances, 0..255 per channel: how far a searched value may
   * lie from the search-for value. */
  uint8_t ARGBATolerance;
  uint8_t ARGBRTolerance;
  uint8_t ARGBGTolerance;
  uint8_t ARGBBTolerance;
  /* RELATIVE_AHSL tolerances, 0..1 each (clamped; NaN as 0): alpha, hue,
   * saturation (chroma) and lightness; see Pixel rules for their scales. */
  PX_ALIGN8 double AHSLATolerance;
  PX_ALIGN8 double AHSLHTolerance;
  PX_ALIGN8 double AHSLSTolerance;
  PX_ALIGN8 double AHSLLTolerance;
  /* The most differing pixels a matching position may have; negative: nothing
   * matches. */
  int32_t DifferenceTolerance;
  TPXBool8 StretchCompare;           /* also search stretched sizes (see Stretching) */
  TPXDimensions MinimalStretchSize;  /* the smallest stretched size, in pixels */
  TPXDimensions MaximalStretchSize;  /* the largest stretched size, in pixels */
  int32_t StretchResampler;          /* PX_RESAMPLER_..., for the stretched sizes */
  TPXBool8 MultipleMatches;          /* every match (non-zero) or the best one only */
  TPXBool32 MultiThreadedProcessing; /* all hardware threads (non-zero) or one */
  TPXStatusCallback StatusCallback;  /* progress reports, or null for none */
} TPXProcessParameters;

/* One match. */
typedef struct TPXResultMatches {
  TPXPoint Position;        /* the matched area's top-left corner in the searched picture */
  TPXDimensions Dimensions; /* the matched area's size: a size of the search-for picture */
  int32_t Difference;       /* the number of differing pixels */
  /* 100 * (compared - Difference) / compared, compared being the pixels that
   * take part (all of them, or with _ALPHA those not fully transparent). */
  PX_ALIGN8 double MatchPercentage;
} TPXResultMatches;
typedef TPXResultMatches* PPXResultMatches;

/* The outcome of one comparison. */
typedef struct TPXResult {
  /* Non-zero exactly when there is a match: a number that identifies this
   * result among all results of the process (read it as a boolean). */
  TPXBool32 Success;
  int32_t MatchCount; /* the number of entries at Matches */
  /* MatchCount consecutive entries, best first, owned by the library until
   * Pexora_FreeResult; null without matches. */
  PPXResultMatches Matches;
} TPXResult;

/*
 * Pictures.
 *
 * Files are decoded (PNG, JPEG, BMP, GIF or TIFF, told by the file's first
 * bytes) into 32-bit ARGB with straight (not premultiplied) alpha, top row
 * first; pictures without alpha are opaque. JPEG is decoded with the accurate
 * integer transform and smooth chroma upsampling; BMP in every header version
 * (OS/2 core, Windows 3 to 5), depth and compression (RLE4, RLE8, bit fields),
 * pixels that RLE skips being transparent and a 32-bit alpha that is zero
 * everywhere counting as absent; GIF as its first frame; TIFF upright by its
 * Orientation tag, premultiplied alpha brought back to straight. A file whose
 * pixel data is missing, cut short or corrupt gives PX_ERROR_LOADING rather
 * than made-up pixels. The decoders write nothing to the caller's standard
 * streams. PX_PROCESS_TYPE_RESAMPLE resamples to Dimensions with Resampler;
 * pictures with alpha are resampled premultiplied (as are stretch sizes), so
 * that the colour of transparent pixels does not show.
 *
 * Handles are looked up among the live objects before use: a null, stale,
 * freed or made-up ImageObject gives PX_ERROR_OBJECT and is never
 * dereferenced. A handle is never given twice in a process, and its value is
 * drawn from a permutation of the pointer's range with keys chosen at random
 * for each process: one handle does not tell another. (This guards against
 * mistakes, not against code in the same process that reads its memory.)
 *
 * Pixel rules.
 *
 * A pixel differs from the search-for pixel laid over it when:
 *   EXACT: any of A, R, G, B differs;
 *   RELATIVE_ARGB: |dA| > A or |dR| > R or |dG| > G or |dB| > B tolerance;
 *   RELATIVE_AHSL: in 16-bit fixed point: alpha 0..255; hue a fraction of
 *     the circle times 65536 (0 for grey); chroma C = max - min and lightness
 *     L = (max + min) / 2 of R, G, B on the 0..1 scale times 65535. Each
 *     tolerance is clamped to 0..1 (NaN as 0), multiplied by its scale (255
 *     for A, 65535 for the others) in double precision, the product rounded
 *     to the nearest double, and that rounded down: k / 65535.0 gives exactly
 *     k, where rounding the exact product down would give k - 1 for about
 *     half of all k. A pixel differs
 *     when |dA| exceeds the A tolerance, |dC| the S tolerance, |dL| the L
 *     tolerance, or the circular hue distance (0..32768) times the smaller
 *     chroma of the two pixels, divided by 65536 and rounded down, the H
 *     tolerance: hue counts fully between vivid colours and fades out towards
 *     grey, where it is noise.
 *   ..._ALPHA: a search-for pixel of colour F and alpha a (on the 0..1
 *     scale) matches when some opaque background B gives a composite
 *     a * F + (1 - a) * B within the tolerances of the searched pixel;
 *     pixels with a = 0 take no part, opaque ones keep the rules above, the
 *     A tolerance is unused. RELATIVE_ARGB_ALPHA, per channel: the searched
 *     value lies in ceil(a * F) - T .. floor(a * F + (1 - a) * 255) + T.
 *     RELATIVE_AHSL_ALPHA, in the fixed-point units above: the lightness in
 *     ceil(a * L) - T .. floor(a * L + (1 - a) * 65535) + T (exact); the
 *     chroma in ceil(a * C - (1 - a) * 65535) - T ..
 *     floor(a * C + (1 - a) * 65535) + T (a background moves chroma by up to
 *     1 - a either way); the hue as above but weighted by the smaller of the
 *     searched chroma and the chroma the pixel keeps over any background,
 *     max(0, ceil(a * C - (1 - a) * 65535)), and allowed
 *     ceil((1 - a) * 65535 / 6) more (the most any background moves the hue
 *     at that chroma), so a pixel composited onto any background matches.
 * Difference is the number of differing pixels; a position matches when
 * Difference <= DifferenceTolerance (a negative tolerance matches nothing).
 * MatchPercentage = 100 * (compared - Difference) / compared.
 *
 * Stretching.
 *
 * StretchCompare: sizes in pixels; the search-for picture is resampled with
 * StretchResampler, aspect ratio kept (shorter side rounded to nearest, half
 * up, at least 1), to every size whose longer side steps by one pixel and
 * whose sides lie in MinimalStretchSize .. MaximalStretchSize (minimal sides
 * below 1 count as 1; a maximal side below 1 leaves no size, which is
 * PX_ERROR_DIMENSIONS); its own size is used unresampled. Sizes that do not
 * fit are skipped; when none fits, or without stretching the search-for
 * picture is larger than the search-in picture, the code is
 * PX_ERROR_DIMENSIONS. A size at which no pixel takes part (all transparent)
 * finds nothing.
 *
 * Ranking and overlaps.
 *
 * Overlapping matches are one: the best is kept and every match that
 * intersects it dropped, repeatedly. Best means the higher MatchPercentage,
 * then the smaller sum, over the compared pixels and channels, of how far the
 * searched value lies outside what tolerance 0 accepts (without _ALPHA: the
 * absolute differences |dA|, |dR|, |dG|, |dB| or |dA|, weighted hue distance,
 * |dC|, |dL|; with _ALPHA: the distance to the ranges above at T = 0, and
 * for the hue the weighted distance beyond the background's allowance), then
 * the larger area, then top-most, then left-most. Matches come best first;
 * MultipleMatches false gives the best one only.
 *
 * Progress.
 *
 * StatusCallback (may be null) is called only on the calling thread, before
 * Pexora_Compare returns, with PX_STATUS_PROGRESS, whole percents rising from
 * 0 to exactly 100 at the end (each at most once), and the search-in
 * record's User. Every comparison that passes the checks of its arguments
 * reports 0 first, also one that compares nothing (a negative
 * DifferenceTolerance, a fully transparent search-for picture); one that
 * fails a check reports nothing. The callback may call the library, even
 * free the objects being compared. A callback that throws (from C++) ends the
 * comparison: every thread of it stops and is joined, nothing is reported
 * after the throw, and the code is PX_ERROR_UNKNOWN.
 *
 * Memory.
 *
 * Pictures (as decoded or as resampled) above 8192 x 8192 pixels and files
 * above 1 GiB give PX_ERROR_NOT_ENOUGH_MEMORY. A resample (at creation or
 * stretching) and a comparison are refused with PX_ERROR_NOT_ENOUGH_MEMORY,
 * before any of it is allocated, when their working memory, estimated from the
 * sizes involved, would pass 2 GiB: resampling takes the picture's copies and
 * FreeImage's table of weights (about 50 to 80 bytes per output pixel of a
 * side that changes, more when shrinking with a wide filter); a comparison
 * takes the search-in picture's channel planes (12 bytes a pixel in ARGB, 8 in
 * AHSL), the sizes of the search-for picture it holds at a time (one per
 * thread and two more, 56 bytes a pixel, and while one is made its stretching
 * and as much again), its list of work units (a row of positions of one size
 * each), 176 bytes per matching position found before overlaps are merged and
 * 128 more per match that can be kept (matches do not overlap: no more than
 * the area holds of the smallest size). When the matching positions would
 * fill what the limit leaves (never more than 1 GiB of them), the comparison
 * merges them in passes over the search-in picture instead, holding as many
 * at a time: no count of matching positions is an error. Besides that
 * estimate, the merge of matching positions takes box sums of the search-in
 * picture (16 bytes a pixel, only up to 256 MiB) and holds the search-for
 * sizes it needs up to 256 MiB. Channel planes outlive a comparison only
 * within 256 MiB for all objects together, least recently used dropped first;
 * larger ones go when the comparison ends. Decoding libraries are held to
 * 512 MiB of their own (libjpeg in all, libtiff per allocation).
 *
 * Threads and process exit.
 *
 * No exception leaves an entry point (PX_ERROR_UNKNOWN; an allocation failure
 * PX_ERROR_NOT_ENOUGH_MEMORY). Calls from several threads at once are safe,
 * and a process may end (return from main, call exit) while other threads
 * are inside the library: its state outlives the static destructors.
 */
#ifndef PX_NO_PROTOTYPES
/*
 * Pexora_CreateObject: decodes the picture file named by Object->FileName,
 * prepares it as Parameters say, and makes a search object of it.
 *
 *   Object: the caller's record; FileName names the file (UTF-16, zero
 *     terminated, at most 32768 code units: the library reads no further).
 *     On PX_OK the library sets ImageObject to the new object's handle,
 *     OriginalDimensions to the size as decoded and ProcessedDimensions to
 *     the size after the processing; FileName and User are left as they are.
 *   Parameters: PX_PROCESS_TYPE_NONE, or PX_PROCESS_TYPE_RESAMPLE with
 *     Dimensions and Resampler (see Pictures).
 *
 * Codes, in the order they are checked: PX_ERROR_OBJECT for a null Object;
 * PX_ERROR_NOT_AVAILABLE for an unknown ProcessType; with resampling,
 * PX_ERROR_DIMENSIONS for a Dimensions side below 1, PX_ERROR_NOT_AVAILABLE
 * for an unknown Resampler and PX_ERROR_NOT_ENOUGH_MEMORY for a size above
 * 8192 x 8192 pixels; then PX_ERROR_LOADING for a null, empty, too long or
 * invalid UTF-16 name and a missing, unreadable, undecodable or unsupported
 * file, PX_ERROR_NOT_ENOUGH_MEMORY for a picture above 8192 x 8192 pixels, a file
 * above 1 GiB or a resample whose working memory would pass 2 GiB (see
 * Memory); PX_OK. On an error the record is left as it was.
 *
 * Ownership: the object is the library's until Pexora_FreeObject; an object
 * never freed lives until the process ends. Threads: safe from several
 * threads at once.
 */
PX_API int32_t PX_CALL Pexora_CreateObject(TPXObject* Object, TPXCreateObjectParameters Parameters);

/*
 * Pexora_FreeObject: releases the search object behind Object->ImageObject
 * and sets ImageObject to null; FileName, the caller's buffer and the other
 * fields stay as they are.
 *
 * Codes: PX_ERROR_OBJECT for a null Object or an ImageObject that names no
 * live object (null, already freed, stale, made up: nothing is released and
 * the record is left as it is); PX_OK.
 *
 * Threads: safe from several threads at once, also while a comparison of the
 * same object runs (the comparison keeps what it reads until it returns), and
 * from the status callback.
 */
PX_API int32_t PX_CALL Pexora_FreeObject(TPXObject* Object);

/*
 * Pexora_Compare: searches the picture of SearchIn for the picture of
 * SearchFor, by the rules of Parameters, and fills *Result with the matches.
 *
 *   SearchIn, SearchFor: copies of records whose objects were created by this
 *     library; only their ImageObject is read, and SearchIn.User is passed to
 *     the status callback.
 *   Parameters: the compare type, tolerances, stretching, MultipleMatches,
 *     MultiThreadedProcessing and the status callback (see the record and the
 *     sections above).
 *   Result: the caller's record. It is zeroed first; on PX_OK with matches,
 *     Success is non-zero, MatchCount the number of matches and Matches the
 *     first of them, best first; without matches it stays zero and nothing is
 *     allocated. Hand a result with matches back with Pexora_FreeResult.
 *   Reserved: null, or the address of a TPXSearchOptions record (see there).
 *
 * Codes, in the order they are checked (*Result is zeroed before all of
 * them, when Result is not null): PX_ERROR_OBJECT when SearchIn or SearchFor
 * names no live object; PX_ERROR_NOT_AVAILABLE for an unknown CompareType and
 * for an unknown StretchResampler with StretchCompare;
 * PX_ERROR_INVALID_PARAMETER for the options record (see TPXSearchOptions);
 * PX_ERROR_UNKNOWN for a null Result; PX_ERROR_DIMENSIONS when no size of the
 * search-for picture fits into the search-in picture or region (see
 * Stretching); PX_ERROR_NOT_ENOUGH_MEMORY when the working memory would pass
 * the limit (see Memory) or memory runs out; PX_ERROR_UNKNOWN when the status
 * callback throws; with an options record of 1.1, PX_ERROR_STOPPED and
 * PX_ERROR_TIME_LIMIT while it runs (see Stopping); PX_OK, also when nothing
 * matches.
 *
 * Threads: MultiThreadedProcessing uses all hardware threads, otherwise one;
 * the results are the same. The call returns when the comparison is done; its
 * threads end before it returns. Comparisons from several threads at once are
 * safe, also of the same objects.
 */
PX_API int32_t PX_CALL Pexora_Compare(TPXObject SearchIn, TPXObject SearchFor, TPXProcessParameters Parameters,
                                      TPXResult* Result, void* Reserved);

/*
 * Pexora_FreeResult: releases the matches of a result this library filled,
 * zeroes the record and returns -1.
 *
 * It recognises the result by Matches and Success together, so hand back the
 * record as it was filled (or an exact copy): a stale copy of a released
 * result never releases a later result that the allocator placed at the same
 * address. A null, zero, already released, stale, altered or foreign record
 * releases nothing, is left as it is, and gives 0.
 *
 * Threads: safe from several threads at once.
 */
PX_API TPXBool32 PX_CALL Pexora_FreeResult(TPXResult* Result);

/*
 * Pexora_CreateObjectFromBitmapHandle: makes a search object of an X11
 * drawable on the display that the environment's DISPLAY names: clear the
 * record and put the XID of a window or pixmap, cast to a pointer, into
 * ImageObject; null means the root window of the display's default screen
 * (the whole screen, every monitor). On PX_OK the drawable's pixels have been
 * copied, opaque, ImageObject holds the library's handle, OriginalDimensions
 * is the drawable's size and ProcessedDimensions the size after the
 * create-time processing, exactly as for Pexora_CreateObject; FileName is not
 * read. A window is read as the screen shows it, like a screenshot cut to the
 * window's rectangle: parts under other windows show those windows (X servers
 * keep no defined contents for covered parts), and parts outside the screen,
 * which hold no pixels, are transparent (alpha 0, colour 0: no opaque
 * search-for pixel matches them below an A tolerance of 255); positions are
 * the window's own. Pixmaps and the root window are read whole. Visuals of
 * depth 15, 16, 24 and 32 (true or direct colour) are read, each channel
 * scaled to 0..255; other formats give PX_ERROR_NOT_AVAILABLE. The pixels
 * come through the MIT-SHM extension where the server shares memory with the
 * process, and a plain GetImage otherwise (a remote display). The X client
 * library (libxcb.so.1, libxcb-shm.so.0 if present) is loaded on the first
 * capture; libpexora.so does not link to it. Each call opens a connection of
 * its own and closes it before it returns: calls from several threads run at
 * once, and a child process after fork captures as its parent does. One
 * shared-memory segment (up to 64 MiB, already marked for removal) is kept
 * for the next capture of the process, never used by a child after fork. An X
 * error never ends the process and nothing is printed.
 *
 * Codes, in the order they are checked: PX_ERROR_OBJECT for a null record;
 * the codes of Parameters as for Pexora_CreateObject; PX_ERROR_NOT_AVAILABLE
 * when no X client library can be loaded or no display reached (DISPLAY
 * unset, or naming no server); PX_ERROR_LOADING for an XID that names no
 * drawable, a window that is not viewable (unmapped, or an ancestor is), an
 * input-only window, or a window destroyed or hidden while it is read;
 * PX_ERROR_NOT_ENOUGH_MEMORY above 8192 x 8192 pixels, as for files. On an
 * error the record is left as it was.
 *
 * Ownership: the object is the library's until Pexora_FreeObject; the
 * drawable stays the caller's. Threads: see above.
 */
PX_API int32_t PX_CALL Pexora_CreateObjectFromBitmapHandle(TPXObject* Object, TPXCreateObjectParameters Parameters);
#endif

/*
 * Additions of version 1.0, for programs that link the library.
 */

/* A rectangle in pixels: top-left corner and size. */
typedef struct TPXRect {
  int32_t X;      /* the left edge, in pixels from the picture's left edge */
  int32_t Y;      /* the top edge, in pixels from the picture's top edge */
  int32_t Width;  /* pixels across */
  int32_t Height; /* pixels down */
} TPXRect;

/*
 * Options of one comparison, passed by address as the last argument of
 * Pexora_Compare; a null pointer there means no options, exactly the
 * behaviour described above. Clear the record, set Size to
 * sizeof(TPXSearchOptions), then set the fields wanted; a field left zero
 * changes nothing. The library only reads the record, during the call.
 *
 * Since 1.1 (a Size of sizeof(TPXSearchOptions) of 1.1: 56 on x86-64, 48 on
 * 32-bit x86; with Size 40 the library reads nothing from offset 36 on,
 * where 1.0's record has its padding), a comparison can be bounded in time
 * and stopped (TimeLimit, InterruptCallback; see Stopping below).
 *
 * PX_ERROR_INVALID_PARAMETER: a Size this library does not know (1.0 knows
 * 40 only; 1.1 knows 40 and its own size; later 1.x libraries accept every
 * earlier size), a region with a
 * Width or Height below 1 or reaching outside the picture, a
 * MinimalMatchPercentage that is NaN or outside 0..100, a negative
 * MaximalMatchCount, a negative TimeLimit. These are checked after the
 * objects and the process parameters, whose codes come first.
 */
typedef int32_t(PX_CALL* TPXInterruptCallback)(void* User);

typedef struct TPXSearchOptions {
  /* sizeof(TPXSearchOptions) as the caller was built: tells which fields
   * follow. */
  uint32_t Size;
  /* Non-zero to search only within Region, in pixels of the (processed)
   * search-in picture. Matches are then exactly those of a search in a copy
   * of that part of the picture, with their positions given in the whole
   * picture's coordinates. Region must have a Width and Height of at least 1
   * and lie inside the picture. Stretch sizes must fit into the region; when
   * none does, or a search-for picture larger than the region is not
   * stretched, the code is PX_ERROR_DIMENSIONS. */
  TPXBool32 UseRegion;
  TPXRect Region;
  /* 0 to 100; only positions whose MatchPercentage is at least this value
   * match (and Difference <= DifferenceTolerance must still hold). Positions
   * below it take no part in merging overlaps. */
  PX_ALIGN8 double MinimalMatchPercentage;
  /* 0 for no limit, otherwise at most this many matches, the best ones, after
   * overlapping matches have been merged. */
  int32_t MaximalMatchCount;
  /* Since 1.1. 0 for none, otherwise milliseconds from the call's start after
   * which the comparison stops with PX_ERROR_TIME_LIMIT; negative:
   * PX_ERROR_INVALID_PARAMETER. */
  int32_t TimeLimit;
  /* Since 1.1. Null, or asked with InterruptUser, on the calling thread only
   * (as the status callback), every 5 ms or so while the comparison runs,
   * whether to stop: a non-zero return stops it with PX_ERROR_STOPPED. To stop
   * a comparison from another thread, let the callback return a flag that
   * thread sets (an atomic or volatile int); to stop it from the status
   * callback, set such a flag there. The callback may call the library as the
   * status callback may. */
  TPXInterruptCallback InterruptCallback;
  void* InterruptUser; /* Since 1.1: the InterruptCallback's argument */
} TPXSearchOptions;

/*
 * Stopping.
 *
 * A stopped or timed-out comparison returns within 50 ms of the request (of
 * the callback's non-zero return, of the limit's passing) in every stage of
 * it and on any number of threads, where its threads get a core: every long
 * loop of it (the scan of positions, the merge of matching positions and its
 * passes, the channel planes and box sums, the preparation of stretch sizes)
 * looks for the request every few hundred microseconds. The one exception is
 * FreeImage's resampling of a single stretch size, which runs to its end
 * first: its time grows with the pixels of the size (sizes near 1024 x 1024
 * gave delays of up to 180 ms on a heavily loaded machine). Every thread of
 * it is joined before it returns, *Result stays zero, nothing of it stays
 * allocated, and both objects stay usable. Once the comparison has seen the
 * request it reports no more progress (100 never; the interrupt callback's
 * request is seen at once). The codes come only from a comparison that has
 * passed the checks of its arguments; a request raced by the natural end of
 * the comparison may lose: the comparison then returns PX_OK with its
 * result. Creating an object honours nothing of this: decoding and
 * resampling at creation are bounded by the size limits alone (8192 x 8192
 * pixels, files of 1 GiB).
 */

/* The size of the options record of 1.0, which 1.1 accepts too. */
#define PX_SEARCH_OPTIONS_SIZE_1_0 40

#ifndef PX_NO_PROTOTYPES
/*
 * Pexora_GetVersion: the version of the library that is running, as
 * major * 10000 + minor * 100 + patch (10100 for 1.1.0), the encoding of
 * PX_VERSION_NUMBER. A program built against a newer header than the library
 * it runs with sees a smaller number here. Never fails; safe from any thread.
 */
PX_API int32_t PX_CALL Pexora_GetVersion(void);

/*
 * Pexora_GetErrorText: a short English text (ASCII, no final period) for a
 * result code: "no error" for PX_OK, one text per PX_ERROR_... code, and
 * "unknown error code" for any other number. Never null. The text is static
 * and the library's: do not free or change it; it stays valid while the
 * library is loaded. Safe from any thread.
 */
PX_API const char* PX_CALL Pexora_GetErrorText(int32_t Code);

/*
 * Pexora_CreateObjectFromPixels: creates a search object from a picture in
 * memory, exactly as Pexora_CreateObject does from a file once it has decoded
 * it (the same processing, limits and codes), so that a picture already in
 * memory, a screenshot say, needs no file.
 *
 *   Object: the record to fill, as for Pexora_CreateObject. Its FileName is
 *     not read (it may be null) and is left as it is; OriginalDimensions
 *     becomes Width x Height.
 *   Width, Height: the picture's size in pixels, each at least 1, together
 *     at most 8192 x 8192 pixels.
 *   Stride: bytes from the start of one row to the start of the next, at
 *     least 4 * Width; rows may be padded, and need not start on a 4-byte
 *     boundary.
 *   Pixels: Height rows, top row first, each Width 32-bit words 0xAARRGGBB
 *     in the machine's byte order (bytes B, G, R, A on x86). The library reads
 *     Stride * (Height - 1) + 4 * Width bytes from it and copies them before
 *     it returns; the buffer stays the caller's.
 *   Parameters: processing at creation, as for Pexora_CreateObject.
 *
 * Codes: PX_OK; PX_ERROR_OBJECT for a null Object; PX_ERROR_NOT_AVAILABLE and
 * PX_ERROR_DIMENSIONS for Parameters, as Pexora_CreateObject; then
 * PX_ERROR_DIMENSIONS for a Width or Height below 1, PX_ERROR_INVALID_PARAMETER
 * for null Pixels or a Stride below 4 * Width, PX_ERROR_NOT_ENOUGH_MEMORY for
 * more than 8192 x 8192 pixels or when memory runs out. On an error the record
 * is left as it was. The object is the library's until Pexora_FreeObject.
 * Safe from several threads at once.
 */
PX_API int32_t PX_CALL Pexora_CreateObjectFromPixels(TPXObject* Object, int32_t Width, int32_t Height, int32_t Stride,
                                                     const uint32_t* Pixels, TPXCreateObjectParameters Parameters);
#endif

#ifdef __cplusplus
}
#endif

/* Layout checks. */
#ifdef __cplusplus
#define PX_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define PX_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
#define PX_CHECK_OFFSET(T, F, O) PX_STATIC_ASSERT(offsetof(T, F) == (O), #T "." #F " offset")
#define PX_CHECK_SIZE(T, S) PX_STATIC_ASSERT(sizeof(T) == (S), #T " size")

PX_CHECK_SIZE(TPXDimensions, 8);
PX_CHECK_OFFSET(TPXDimensions, Width, 0);
PX_CHECK_OFFSET(TPXDimensions, Height, 4);
PX_CHECK_SIZE(TPXCreateObjectParameters, 16);
PX_CHECK_OFFSET(TPXCreateObjectParameters, ProcessType, 0);
PX_CHECK_OFFSET(TPXCreateObjectParameters, Dimensions, 4);
PX_CHECK_OFFSET(TPXCreateObjectParameters, Resampler, 12);
PX_CHECK_SIZE(TPXResultMatches, 32);
PX_CHECK_OFFSET(TPXResultMatches, Position, 0);
PX_CHECK_OFFSET(TPXResultMatches, Position.Y, 4);
PX_CHECK_OFFSET(TPXResultMatches, Dimensions, 8);
PX_CHECK_OFFSET(TPXResultMatches, Difference, 16);
PX_CHECK_OFFSET(TPXResultMatches, MatchPercentage, 24);
PX_CHECK_OFFSET(TPXProcessParameters, CompareType, 0);
PX_CHECK_OFFSET(TPXProcessParameters, ARGBATolerance, 4);
PX_CHECK_OFFSET(TPXProcessParameters, ARGBRTolerance, 5);
PX_CHECK_OFFSET(TPXProcessParameters, ARGBGTolerance, 6);
PX_CHECK_OFFSET(TPXProcessParameters, ARGBBTolerance, 7);
PX_CHECK_OFFSET(TPXProcessParameters, AHSLATolerance, 8);
PX_CHECK_OFFSET(TPXProcessParameters, AHSLHTolerance, 16);
PX_CHECK_OFFSET(TPXProcessParameters, AHSLSTolerance, 24);
PX_CHECK_OFFSET(TPXProcessParameters, AHSLLTolerance, 32);
PX_CHECK_OFFSET(TPXProcessParameters, DifferenceTolerance, 40);
PX_CHECK_OFFSET(TPXProcessParameters, StretchCompare, 44);
PX_CHECK_OFFSET(TPXProcessParameters, MinimalStretchSize, 48);
PX_CHECK_OFFSET(TPXProcessParameters, MaximalStretchSize, 56);
PX_CHECK_OFFSET(TPXProcessParameters, StretchResampler, 64);
PX_CHECK_OFFSET(TPXProcessParameters, MultipleMatches, 68);
PX_CHECK_OFFSET(TPXProcessParameters, MultiThreadedProcessing, 72);
PX_CHECK_OFFSET(TPXObject, FileName, 0);
PX_CHECK_OFFSET(TPXResult, Success, 0);
PX_CHECK_OFFSET(TPXResult, MatchCount, 4);
PX_CHECK_OFFSET(TPXResult, Matches, 8);
PX_CHECK_SIZE(TPXRect, 16);
PX_CHECK_OFFSET(TPXSearchOptions, UseRegion, 4);
PX_CHECK_OFFSET(TPXSearchOptions, Region, 8);
PX_CHECK_OFFSET(TPXSearchOptions, MinimalMatchPercentage, 24);
PX_CHECK_OFFSET(TPXSearchOptions, MaximalMatchCount, 32);
PX_CHECK_OFFSET(TPXSearchOptions, TimeLimit, 36);

#if UINTPTR_MAX == 0xFFFFFFFFu
PX_CHECK_SIZE(TPXObject, 28);
PX_CHECK_OFFSET(TPXObject, ImageObject, 4);
PX_CHECK_OFFSET(TPXObject, OriginalDimensions, 8);
PX_CHECK_OFFSET(TPXObject, ProcessedDimensions, 16);
PX_CHECK_OFFSET(TPXObject, User, 24);
PX_CHECK_SIZE(TPXProcessParameters, 80);
PX_CHECK_OFFSET(TPXProcessParameters, StatusCallback, 76);
PX_CHECK_SIZE(TPXResult, 12);
PX_CHECK_SIZE(TPXSearchOptions, 48);
PX_CHECK_OFFSET(TPXSearchOptions, InterruptCallback, 40);
PX_CHECK_OFFSET(TPXSearchOptions, InterruptUser, 44);
#else
PX_CHECK_SIZE(TPXObject, 40);
PX_CHECK_OFFSET(TPXObject, ImageObject, 8);
PX_CHECK_OFFSET(TPXObject, OriginalDimensions, 16);
PX_CHECK_OFFSET(TPXObject, ProcessedDimensions, 24);
PX_CHECK_OFFSET(TPXObject, User, 32);
PX_CHECK_SIZE(TPXProcessParameters, 88);
PX_CHECK_OFFSET(TPXProcessParameters, StatusCallback, 80);
PX_CHECK_SIZE(TPXResult, 16);
PX_CHECK_SIZE(TPXSearchOptions, 56);
PX_CHECK_OFFSET(TPXSearchOptions, InterruptCallback, 40);
PX_CHECK_OFFSET(TPXSearchOptions, InterruptUser, 48);
#endif

#undef PX_CHECK_OFFSET
#undef PX_CHECK_SIZE
#undef PX_STATIC_ASSERT

#endif /* PEXORA_PEXORA_H */
