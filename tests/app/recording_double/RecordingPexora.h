// A stand-in search library that records what the programs hand it and
// answers as a test scripts it. The tests reach its script and its record
// through the extra export PexoraDouble_State.
#pragma once

#define PX_NO_PROTOTYPES
#include <pexora/pexora.h>

struct PexoraDoubleScript {
  int32_t createCode;
  void* handle;              // ImageObject set on a successful create
  TPXDimensions dimensions;  // OriginalDimensions set on a successful create
  int32_t freeCode;
  int32_t compareCode;
  TPXBool32 success;
  int32_t matchCount;
  TPXResultMatches matches[8];
  int32_t progressCount;  // the status callback is called with these
  double progress[8];
  // Called after each status call, on the same thread, to look at the window.
  void (*afterStatus)(double progress);
};

struct PexoraDoubleRecord {
  char calls[64][40];  // export names, in call order
  int32_t callCount;
  unsigned char compareParameters[sizeof(TPXProcessParameters)];
  TPXObject compareSearchIn;
  TPXObject compareSearchFor;
  void* compareReserved;
  TPXCreateObjectParameters createParameters[4];
  char16_t createNames[4][128];
  int32_t createCount;
  TPXResult* freedResult;
  TPXResult freedResultContents;
};

struct PexoraDoubleState {
  PexoraDoubleScript script;
  PexoraDoubleRecord record;
};

typedef PexoraDoubleState* (*t_PexoraDouble_State)(void);
