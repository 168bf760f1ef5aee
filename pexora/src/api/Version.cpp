// The library's version at run time.
#include "pexora/pexora.h"

extern "C" PX_API int32_t PX_CALL Pexora_GetVersion(void) { return PX_VERSION_NUMBER; }
