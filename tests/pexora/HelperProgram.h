// Runs the helper program that returns from main while its threads are
// inside the library (helpers/ExitDuringCalls.cpp).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace pexora::test {

struct HelperRun {
  int status = -1;
  std::string output;
};

// With `errors`, the output is the helper's standard output and error
// together (empty unless something went wrong); otherwise standard output
// alone (the handles of its two objects). A time limit makes a process that
// hangs while it ends fail too.
inline HelperRun RunExitHelper(const std::filesystem::path& in, const std::filesystem::path& of, int microseconds,
                               bool errors) {
  const std::string command = "timeout 60 " + std::string(PEXORA_EXIT_HELPER) + " '" + in.string() + "' '" +
                              of.string() + "' " + std::to_string(microseconds) +
                              (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
  HelperRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  run.status = pclose(pipe);
  return run;
}

}  // namespace pexora::test
