#define PEXORA_BUILDING_LIBRARY
#include "RecordingPexora.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#define PX_EXPORT extern "C" PX_API

namespace {

PexoraDoubleState state;

void Called(const char* name) {
  PexoraDoubleRecord& r = state.record;
  if (r.callCount < 64) std::strncpy(r.calls[r.callCount++], name, sizeof r.calls[0] - 1);
}

}  // namespace

PX_EXPORT PexoraDoubleState* PexoraDouble_State(void) { return &state; }

PX_EXPORT int32_t PX_CALL Pexora_CreateObject(TPXObject* object, TPXCreateObjectParameters parameters) {
  Called("Pexora_CreateObject");
  PexoraDoubleRecord& r = state.record;
  if (r.createCount < 4) {
    r.createParameters[r.createCount] = parameters;
    for (int i = 0; i < 127 && object->FileName && object->FileName[i]; ++i)
      r.createNames[r.createCount][i] = object->FileName[i];
    ++r.createCount;
  }
  if (state.script.createCode != PX_OK) return state.script.createCode;
  object->ImageObject = state.script.handle;
  object->OriginalDimensions = state.script.dimensions;
  object->ProcessedDimensions = state.script.dimensions;
  return PX_OK;
}

PX_EXPORT int32_t PX_CALL Pexora_FreeObject(TPXObject*) {
  Called("Pexora_FreeObject");
  return state.script.freeCode;
}

PX_EXPORT int32_t PX_CALL Pexora_Compare(TPXObject searchIn, TPXObject searchFor, TPXProcessParameters parameters,
                                         TPXResult* result, void* reserved) {
  Called("Pexora_Compare");
  PexoraDoubleRecord& r = state.record;
  std::memcpy(r.compareParameters, &parameters, sizeof parameters);
  r.compareSearchIn = searchIn;
  r.compareSearchFor = searchFor;
  r.compareReserved = reserved;
  // Started as a program's library (end-to-end runs), the script comes from
  // the environment: progress values to report, each followed by a stall.
  if (const char* env = std::getenv("PEXORA_DOUBLE_PROGRESS"); env && state.script.progressCount == 0) {
    const char* stall = std::getenv("PEXORA_DOUBLE_STALL_MS");
    const int stallMs = stall ? std::atoi(stall) : 0;
    for (std::string rest = env; !rest.empty();) {
      const auto comma = rest.find(',');
      const double value = std::atof(rest.substr(0, comma).c_str());
      rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
      if (parameters.StatusCallback) parameters.StatusCallback(value, PX_STATUS_PROGRESS, searchIn.User);
      std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
    }
  }
  for (int i = 0; i < state.script.progressCount && i < 8; ++i) {
    if (parameters.StatusCallback)
      parameters.StatusCallback(state.script.progress[i], PX_STATUS_PROGRESS, searchIn.User);
    if (state.script.afterStatus) state.script.afterStatus(state.script.progress[i]);
  }
  result->Success = state.script.success;
  result->MatchCount = state.script.matchCount;
  result->Matches = state.script.matchCount > 0 ? state.script.matches : nullptr;
  return state.script.compareCode;
}

PX_EXPORT TPXBool32 PX_CALL Pexora_FreeResult(TPXResult* result) {
  Called("Pexora_FreeResult");
  state.record.freedResult = result;
  state.record.freedResultContents = *result;
  return -1;
}

PX_EXPORT int32_t PX_CALL Pexora_CreateObjectFromBitmapHandle(TPXObject*, TPXCreateObjectParameters) {
  Called("Pexora_CreateObjectFromBitmapHandle");
  return PX_ERROR_NOT_AVAILABLE;
}
