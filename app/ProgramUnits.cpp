#include "ProgramUnits.h"

#include "FreeImageLoader.h"
#include "PexoraDefs.h"

ProgramUnits::ProgramUnits() {
  PexoraDefs::InitPexoraLibrary();
  FreeImageLoader::InitFreeImageLibrary();
}

ProgramUnits::~ProgramUnits() { Finalize(); }

void ProgramUnits::Finalize() {
  if (!started_) return;
  started_ = false;
  FreeImageLoader::FreeFreeImageLibrary();
  PexoraDefs::FreePexoraLibrary();
}
