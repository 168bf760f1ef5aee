// A stand-in search library for the binding's tests: it exports the five entry
// points, or all but one (PX_DOUBLE_WITHOUT_BITMAP_HANDLE), or one of them under
// a name in the wrong letter case (PX_DOUBLE_WRONG_CASE). Every call answers
// with a code that tells the test which export it reached.
#define PEXORA_BUILDING_LIBRARY
#define PX_NO_PROTOTYPES
#include <pexora/pexora.h>

#define PX_EXPORT extern "C" PX_API

PX_EXPORT int32_t PX_CALL Pexora_CreateObject(TPXObject*, TPXCreateObjectParameters) { return 101; }
PX_EXPORT int32_t PX_CALL Pexora_FreeObject(TPXObject*) { return 102; }
#ifdef PX_DOUBLE_WRONG_CASE
PX_EXPORT int32_t PX_CALL Pexora_compare(TPXObject, TPXObject, TPXProcessParameters, TPXResult*, void*) { return 103; }
#else
PX_EXPORT int32_t PX_CALL Pexora_Compare(TPXObject, TPXObject, TPXProcessParameters, TPXResult*, void*) { return 103; }
#endif
PX_EXPORT TPXBool32 PX_CALL Pexora_FreeResult(TPXResult*) { return 104; }
#ifndef PX_DOUBLE_WITHOUT_BITMAP_HANDLE
PX_EXPORT int32_t PX_CALL Pexora_CreateObjectFromBitmapHandle(TPXObject*, TPXCreateObjectParameters) { return 105; }
#endif
