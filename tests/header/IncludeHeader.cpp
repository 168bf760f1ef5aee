// The header compiles on its own and its layout assertions hold.
#include <pexora/pexora.h>
