// seekscaled: the tutorial program's entry.
#include "ProgramEntry.h"

int main(int, char** argv) { return RunProgram(Variants::SeekScaled(), argv[0]); }
