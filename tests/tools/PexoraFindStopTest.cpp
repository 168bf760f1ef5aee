// pexora-find stopped while it searches: by Ctrl-C (SIGINT), by SIGTERM,
// and by its --timeout, each sent to or set on a real process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ShellText.h"

extern char** environ;

namespace {

using pexora::test::ReadFile;

using Clock = std::chrono::steady_clock;

// Enlarged pictures and a difference tolerance that lets every position
// test a hundred thousand pixels: a search of many minutes.
const std::vector<std::string> kEndlessSearch = {"--resample-in",    "1600x1200", "--resample-for", "400x300",
                                                 "--argb-tolerance", "0",         "--difference",   "100000"};

struct Stopped {
  int exit = -1;       // -1 unless it exited
  int signal = 0;      // the signal that ended it, if one did
  double seconds = 0;  // from the stop (or the start, without one) to its end
  std::string out, err;
};

// Runs the tool in the samples folder on `pictures` (SEARCH_IN SEARCH_FOR
// unless given); sends `signal` (0: none) once it has searched for `after`.
Stopped RunTool(std::vector<std::string> extra, int signal, std::chrono::milliseconds after,
                const std::vector<std::string>& pictures = {"SearchIn2.jpg", "SearchForResample.jpg"}) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("pexora-find-stop-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::vector<std::string> arguments = {PEXORA_FIND};
  arguments.insert(arguments.end(), pictures.begin(), pictures.end());
  arguments.insert(arguments.end(), kEndlessSearch.begin(), kEndlessSearch.end());
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, (folder / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, (folder / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const std::string cwd = SAMPLES_DIR;
  const std::string here = std::filesystem::current_path();
  std::filesystem::current_path(cwd);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
  std::filesystem::current_path(here);
  posix_spawn_file_actions_destroy(&files);
  Stopped stopped;
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << PEXORA_FIND;
    return stopped;
  }
  Clock::time_point from = Clock::now();
  if (signal != 0) {
    std::this_thread::sleep_for(after);
    from = Clock::now();
    kill(pid, signal);
  }
  // The search would run for minutes: give up after a while rather than hang.
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() - from > std::chrono::seconds(20)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "pexora-find did not stop";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  stopped.seconds = std::chrono::duration<double>(Clock::now() - from).count();
  if (WIFEXITED(status)) stopped.exit = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) stopped.signal = WTERMSIG(status);
  stopped.out = ReadFile(folder / "out");
  stopped.err = ReadFile(folder / "err");
  std::filesystem::remove_all(folder);
  return stopped;
}

TEST(PexoraFindStopTest, ASignalStopsTheSearchWithTheShellsCodeAndNoOutput) {
  struct Case {
    int signal;
    int exit;
  };
  for (const Case c : {Case{SIGINT, 130}, Case{SIGTERM, 143}}) {
    SCOPED_TRACE(c.signal);
    // Early in the search, and well into it.
    for (const int after : {400, 1500}) {
      const Stopped run = RunTool({}, c.signal, std::chrono::milliseconds(after));
      EXPECT_EQ(run.signal, 0);
      EXPECT_EQ(run.exit, c.exit);
      EXPECT_EQ(run.out, "");
      // 0.2 s on a quiet machine; the test allows for a loaded one.
      EXPECT_LT(run.seconds, 3.0);
    }
  }
}

TEST(PexoraFindStopTest, ASignalStopsABatchWithTheShellsCodeAndNoHalfLine) {
  // Every picture's search would take minutes; the batch runs one a thread.
  const std::vector<std::string> batch = {"--batch",       "SearchForResample.jpg", "SearchIn2.jpg",
                                          "SearchIn2.jpg", "SearchIn2.jpg",         "SearchIn2.jpg"};
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const Stopped run = RunTool({"--json"}, signal, std::chrono::milliseconds(600), batch);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exit, 128 + signal);
    EXPECT_EQ(run.out, "");
    EXPECT_LT(run.seconds, 3.0);
  }
}

TEST(PexoraFindStopTest, TheTimeoutEndsTheSearchWithCode2AndNamesTheLimit) {
  for (const std::string threads : {"1", "all"}) {
    const Stopped run = RunTool({"--timeout", "0.4", "--threads", threads}, 0, {});
    EXPECT_EQ(run.exit, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--timeout 0.4 s"), std::string::npos) << run.err;
    EXPECT_GT(run.seconds, 0.4);
    EXPECT_LT(run.seconds, 5.0);
  }
}

}  // namespace
