// Captures the screen of DISPLAY once through libpexora.so and prints the
// code: a process of its own, for machines the test changes around it.
#include <cstdio>

#include "pexora/pexora.h"

int main() {
  TPXObject screen{};
  const int32_t code = Pexora_CreateObjectFromBitmapHandle(&screen, {});
  if (code == PX_OK) Pexora_FreeObject(&screen);
  std::printf("%d\n", code);
  return 0;
}
