// The program's units in their start order: the Pexora binding, the elapsed-
// time unit (nothing to start), the FreeImage binding, the window unit
// (nothing to start). Ending runs in the reverse order, and must happen before
// the window is destroyed.
#pragma once

class ProgramUnits {
 public:
  ProgramUnits();
  ~ProgramUnits();
  ProgramUnits(const ProgramUnits&) = delete;
  ProgramUnits& operator=(const ProgramUnits&) = delete;

  // Ends the units; later calls do nothing.
  void Finalize();

 private:
  bool started_ = true;
};
