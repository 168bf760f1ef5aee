// A program that returns from main while its other threads are inside the
// search library: comparing on one and on all threads, and creating,
// resampling and freeing objects, and many short calls. It prints the handles of its two objects.
//
//   exit_during_calls <search-in file> <search-for file> <microseconds>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "ToUtf16.h"
#include "pexora/pexora.h"

namespace {

void PX_CALL CountReports(double progress, int32_t, void* user) { *static_cast<volatile double*>(user) = progress; }

void CompareForever(TPXObject in, TPXObject of, int32_t threads) {
  volatile double progress = 0;
  in.User = const_cast<double*>(&progress);
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_AHSL;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = 0.05;
  p.DifferenceTolerance = 10;
  p.MultipleMatches = 1;
  p.MultiThreadedProcessing = threads;
  p.StatusCallback = CountReports;
  for (;;) {
    TPXResult result{};
    Pexora_Compare(in, of, p, &result, nullptr);
    Pexora_FreeResult(&result);
  }
}

void CreateForever(const char16_t* name) {
  for (int32_t round = 0;; ++round) {
    TPXObject object{};
    object.FileName = name;
    const TPXCreateObjectParameters resample{PX_PROCESS_TYPE_RESAMPLE, {300 + round % 7, 200}, PX_RESAMPLER_LANCZOS3};
    if (Pexora_CreateObject(&object, round % 2 ? resample : TPXCreateObjectParameters{}) == PX_OK) {
      Pexora_FreeObject(&object);
    }
  }
}

// Many short calls a second: every one looks its objects up and registers or
// releases a result.
void SmallCallsForever(TPXObject of) {
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_EXACT;
  TPXObject unknown{};
  unknown.ImageObject = &unknown;
  for (;;) {
    TPXResult result{};
    Pexora_Compare(of, of, p, &result, nullptr);
    Pexora_FreeResult(&result);
    Pexora_FreeObject(&unknown);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <search-in file> <search-for file> <microseconds>\n", argv[0]);
    return 2;
  }
  // The names stay valid while the process ends: the threads keep reading them.
  static const auto* const inName = new std::u16string(pexora::test::ToUtf16(argv[1]));
  static const auto* const ofName = new std::u16string(pexora::test::ToUtf16(argv[2]));
  TPXObject in{}, of{};
  in.FileName = inName->c_str();
  of.FileName = ofName->c_str();
  if (Pexora_CreateObject(&in, {}) != PX_OK || Pexora_CreateObject(&of, {}) != PX_OK) return 3;
  std::printf("%p %p\n", in.ImageObject, of.ImageObject);
  std::fflush(stdout);
  std::thread(CompareForever, in, of, -1).detach();
  std::thread(CompareForever, in, of, 0).detach();
  std::thread(CreateForever, inName->c_str()).detach();
  std::thread(SmallCallsForever, of).detach();
  usleep(static_cast<useconds_t>(std::strtoul(argv[3], nullptr, 10)));
  return 0;
}
