// The program entry shared by the three programs.
#pragma once

#include "Variant.h"

// Starts the units, runs the main window of the variant until it is closed,
// ends the units. Reads no command-line arguments; returns the exit status.
int RunProgram(const TVariant& variant, const char* argv0);
