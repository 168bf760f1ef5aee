// A process that ends while other threads are inside the library: returning
// from main runs the static destructors under the running calls.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "HelperProgram.h"
#include "LibraryFixture.h"

namespace pexora::test {
namespace {

TEST(ProcessExit, ReturningFromMainDuringCallsEndsTheProcessCleanly) {
  TempFolder folder;
  const Image scene = NaturalPicture(480, 320, 61);
  SavePicture(scene, folder.File("scene.png"), FileFormat::kPng);
  SavePicture(Crop(scene, 100, 80, 20, 20), folder.File("part.png"), FileFormat::kPng);
  int crashed = 0;
  std::string firstFailure;
  const int runs = 100;
  for (int run = 0; run < runs; ++run) {
    // Spread the moment of exit over every phase of the calls.
    const HelperRun r = RunExitHelper(folder.File("scene.png"), folder.File("part.png"), (run * 397) % 40000, true);
    // A sanitizer's report on a thread may lose the race with the exit code
    // of the main thread: any output counts as a failure too.
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0 || !r.output.empty()) {
      if (crashed++ == 0) {
        firstFailure = (WIFSIGNALED(r.status) ? "signal " + std::to_string(WTERMSIG(r.status))
                                              : "status " + std::to_string(WEXITSTATUS(r.status))) +
                       "\n" + r.output.substr(0, 2000);
      }
    }
  }
  EXPECT_EQ(crashed, 0) << "of " << runs << " runs; the first ended with " << firstFailure;
}

}  // namespace
}  // namespace pexora::test
