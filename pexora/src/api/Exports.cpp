// The five entry points of libpexora.so, and the creation from pixels in
// memory that shares object creation with them. Nothing thrown inside gets
// past them: every exception becomes a PX_ERROR_... code.
#include <chrono>
#include <cstdint>
#include <functional>
#include <new>
#include <thread>

#include "api/CompareArguments.h"
#include "api/ObjectRegistry.h"
#include "api/Utf16Name.h"
#include "core/Limits.h"
#include "core/StatusError.h"
#include "core/StopToken.h"
#include "core/WorkingMemory.h"
#include "decode/PictureFile.h"
#include "decode/PixelCopy.h"
#include "decode/ScreenCapture.h"
#include "engine/SearchEngine.h"
#include "image/Resample.h"
#include "pexora/pexora.h"
#include "scan/CompareSettings.h"
#include "scan/MatchPercentage.h"

namespace {

using namespace pexora;

template <typename Body>
int32_t Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const StatusError& error) {
    return error.code();
  } catch (const std::bad_alloc&) {
    return PX_ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return PX_ERROR_UNKNOWN;
  }
}

// `load` gives the picture as decoded, or throws StatusError.
template <typename Load>
int32_t CreateObject(TPXObject* object, const TPXCreateObjectParameters& parameters, Load&& load) {
  if (object == nullptr) return PX_ERROR_OBJECT;
  const bool resample = parameters.ProcessType == PX_PROCESS_TYPE_RESAMPLE;
  if (!resample && parameters.ProcessType != PX_PROCESS_TYPE_NONE) return PX_ERROR_NOT_AVAILABLE;
  if (resample) {
    const TPXDimensions size = parameters.Dimensions;
    if (size.Width < 1 || size.Height < 1) return PX_ERROR_DIMENSIONS;
    if (!IsKnownResampler(parameters.Resampler)) return PX_ERROR_NOT_AVAILABLE;
    if (int64_t{size.Width} * size.Height > kMaxPixels) return PX_ERROR_NOT_ENOUGH_MEMORY;
  }
  Image picture = load();
  const TPXDimensions original{picture.width, picture.height};
  if (resample) {
    CheckWorkingBytes(picture.PixelCount() * 4 +
                      ResampleWorkingBytes(picture.width, picture.height, parameters.Dimensions.Width,
                                           parameters.Dimensions.Height, parameters.Resampler));
    picture = Resample(picture, parameters.Dimensions.Width, parameters.Dimensions.Height, parameters.Resampler);
  }
  const TPXDimensions processed{picture.width, picture.height};
  auto searchObject = std::make_shared<const SearchObject>(std::move(picture));
  object->ImageObject = ObjectRegistry::Instance().Add(std::move(searchObject));
  object->OriginalDimensions = original;
  object->ProcessedDimensions = processed;
  return PX_OK;
}

int32_t FreeObject(TPXObject* object) {
  if (object == nullptr || !ObjectRegistry::Instance().Remove(object->ImageObject)) return PX_ERROR_OBJECT;
  object->ImageObject = nullptr;
  return PX_OK;
}

int32_t Compare(const TPXObject& searchIn, const TPXObject& searchFor, const TPXProcessParameters& parameters,
                TPXResult* result, const TPXSearchOptions* options) {
  // The time limit counts from the call's start.
  const StopToken::Clock::time_point start = StopToken::Clock::now();
  if (result != nullptr) *result = TPXResult{};
  const auto searched = ObjectRegistry::Instance().Find(searchIn.ImageObject);
  const auto target = ObjectRegistry::Instance().Find(searchFor.ImageObject);
  auto [settings, stopping] = CheckCompareArguments(searched.get(), target.get(), parameters, options, result);
  const TPXInterruptCallback interrupt = stopping.interrupt;
  void* const interruptUser = stopping.interruptUser;
  const StopToken stop(stopping.timeLimit > 0 ? start + std::chrono::milliseconds(stopping.timeLimit)
                                              : StopToken::Clock::time_point::max(),
                       PX_ERROR_TIME_LIMIT,
                       interrupt != nullptr
                           ? std::function<bool()>([interrupt, interruptUser] { return interrupt(interruptUser) != 0; })
                           : std::function<bool()>(),
                       PX_ERROR_STOPPED);
  settings.stop = &stop;

  const unsigned threads =
      parameters.MultiThreadedProcessing != 0 ? std::max(1u, std::thread::hardware_concurrency()) : 1u;
  const TPXStatusCallback callback = parameters.StatusCallback;
  void* const user = searchIn.User;
  const auto progress = [callback, user](double percent) {
    if (callback != nullptr) callback(percent, PX_STATUS_PROGRESS, user);
  };
  const std::vector<Match> matches = Search(*searched, *target, settings, threads, progress);
  if (matches.empty()) return PX_OK;

  auto* entries = new TPXResultMatches[matches.size()];
  for (size_t i = 0; i < matches.size(); ++i) {
    const Match& m = matches[i];
    entries[i] = TPXResultMatches{};
    entries[i].Position = {m.x, m.y};
    entries[i].Dimensions = {m.width, m.height};
    entries[i].Difference = static_cast<int32_t>(m.difference);
    entries[i].MatchPercentage = MatchPercentage(m.compared, m.difference);
  }
  int32_t number = 0;
  try {
    number = ObjectRegistry::Instance().AddMatches(entries);
  } catch (...) {
    delete[] entries;
    throw;
  }
  // Success is true as any non-zero value; this one also tells a stale copy
  // of an earlier record at a reused address from the live result.
  result->Success = number;
  result->MatchCount = static_cast<int32_t>(matches.size());
  result->Matches = entries;
  return PX_OK;
}

}  // namespace

extern "C" {

PX_API int32_t PX_CALL Pexora_CreateObject(TPXObject* Object, TPXCreateObjectParameters Parameters) {
  return Guarded([&] {
    return CreateObject(Object, Parameters, [Object] {
      const auto name = Utf16ToUtf8(Object->FileName);
      if (!name) throw StatusError(PX_ERROR_LOADING);
      return DecodePictureFile(*name);
    });
  });
}

PX_API int32_t PX_CALL Pexora_FreeObject(TPXObject* Object) {
  return Guarded([&] { return FreeObject(Object); });
}

PX_API int32_t PX_CALL Pexora_Compare(TPXObject SearchIn, TPXObject SearchFor, TPXProcessParameters Parameters,
                                      TPXResult* Result, void* Reserved) {
  return Guarded(
      [&] { return Compare(SearchIn, SearchFor, Parameters, Result, static_cast<const TPXSearchOptions*>(Reserved)); });
}

PX_API TPXBool32 PX_CALL Pexora_FreeResult(TPXResult* Result) {
  return Guarded([&]() -> int32_t {
           if (Result == nullptr || Result->Matches == nullptr) return 0;
           TPXResultMatches* const matches = Result->Matches;
           if (!ObjectRegistry::Instance().RemoveMatches(matches, Result->Success)) return 0;
           *Result = TPXResult{};
           delete[] matches;
           return -1;
         }) == -1
             ? -1
             : 0;
}

PX_API int32_t PX_CALL Pexora_CreateObjectFromBitmapHandle(TPXObject* Object, TPXCreateObjectParameters Parameters) {
  return Guarded([&] {
    return CreateObject(Object, Parameters, [Object] {
      // An XID has 29 bits; a larger value names no drawable.
      const auto xid = reinterpret_cast<uintptr_t>(Object->ImageObject);
      if (xid > UINT32_MAX) throw StatusError(PX_ERROR_LOADING);
      return CaptureDrawable(static_cast<uint32_t>(xid));
    });
  });
}

PX_API int32_t PX_CALL Pexora_CreateObjectFromPixels(TPXObject* Object, int32_t Width, int32_t Height, int32_t Stride,
                                                     const uint32_t* Pixels, TPXCreateObjectParameters Parameters) {
  return Guarded(
      [&] { return CreateObject(Object, Parameters, [&] { return CopyPixels(Width, Height, Stride, Pixels); }); });
}

}  // extern "C"
