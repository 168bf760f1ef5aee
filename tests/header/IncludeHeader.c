/* The header compiles as C and its layout assertions hold. */
#include <pexora/pexora.h>
