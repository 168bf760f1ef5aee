// seekbasic: the tutorial program's entry.
#include "ProgramEntry.h"

int main(int, char** argv) { return RunProgram(Variants::SeekBasic(), argv[0]); }
