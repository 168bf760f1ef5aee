// pexora-find --screen and --window against a real X server (Xvfb) where a
// real client (ImageMagick's display) shows a picture: positions, waiting
// for a picture to appear or to go, and the errors without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "ShellText.h"
#include "TestPictures.h"
#include "XServer.h"

namespace pexora::test {
namespace {

using pexora::test::ReadFile;

struct ToolRun {
  int exit = -1;
  std::string out;
  std::string err;
  double seconds = 0;
};

class PexoraFindScreenTest : public ::testing::Test {
 protected:
  PexoraFindScreenTest() : picture_(RandomPicture(120, 90, 17)) {
    SavePicture(picture_, folder_.File("shown.png"), FileFormat::kPng);
    SavePicture(Crop(picture_, 40, 30, 32, 24), folder_.File("crop.png"), FileFormat::kPng);
    SavePicture(RandomPicture(32, 24, 99), folder_.File("elsewhere.png"), FileFormat::kPng);
  }

  // Runs the tool in the test's folder with DISPLAY set to `display` (unset
  // when empty); `name` keeps the output of runs at the same time apart.
  ToolRun Find(const std::string& arguments, const std::string& display, const std::string& name = "run") const {
    const std::string out = folder_.File(name + ".out").string();
    const std::string err = folder_.File(name + ".err").string();
    const std::string environment = display.empty() ? "env -u DISPLAY " : "env DISPLAY='" + display + "' ";
    const std::string command = "cd '" + folder_.File("").string() + "' && " + environment + PEXORA_FIND + " " +
                                arguments + " >'" + out + "' 2>'" + err + "' </dev/null";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    ToolRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(out);
    run.err = ReadFile(err);
    return run;
  }

  TempFolder folder_;
  Image picture_;
  XServer server_{"640x480x24"};
};

// The first line of a text report, without its percentage.
std::string Place(const std::string& out) {
  const std::string line = out.substr(0, out.find('\n'));
  return line.substr(0, line.find(" percentage"));
}

TEST_F(PexoraFindScreenTest, FindsOnTheScreenAndInAWindowInTheirOwnCoordinates) {
  DisplayedPicture shown(server_.display(), folder_.File("shown.png"), 200, 150);
  ASSERT_NE(shown.window(), 0u);
  // Waiting, as a script would, until the client has painted its window.
  const ToolRun first = Find("--screen --wait 20 crop.png", server_.display());
  ASSERT_EQ(first.exit, 0) << first.err;
  EXPECT_EQ(Place(first.out), "position 240,180 size 32x24 difference 0");
  EXPECT_EQ(first.err, "");

  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%lx", shown.window());
  const struct Case {
    std::string arguments;
    int exit;
    std::string place;
  } cases[] = {
      {"--screen crop.png", 0, "position 240,180 size 32x24 difference 0"},
      {"--window " + std::string(hex) + " crop.png", 0, "position 40,30 size 32x24 difference 0"},
      {"--window " + std::to_string(shown.window()) + " crop.png", 0, "position 40,30 size 32x24 difference 0"},
      {"--screen --region 230,170,60,60 --type exact crop.png", 0, "position 240,180 size 32x24 difference 0"},
      {"--screen --region 0,0,200,200 crop.png", 1, ""},
      {"--screen elsewhere.png", 1, ""},
      {"--window " + std::string(hex) + " --resample-in 60x45 --resample-for 16x12 -d 40 crop.png", 0,
       "position 20,15 size 16x12 difference"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Find(c.arguments, server_.display());
    EXPECT_EQ(run.exit, c.exit) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Place(run.out).substr(0, c.place.size()), c.place);
    if (c.place.empty()) {
      EXPECT_EQ(run.out, "");
    }
  }
  const ToolRun json = Find("--json --window " + std::string(hex) + " crop.png", server_.display());
  EXPECT_EQ(json.exit, 0);
  EXPECT_EQ(json.out,
            "{\"matches\":[{\"x\":40,\"y\":30,\"width\":32,\"height\":24,\"difference\":0,\"percentage\":100}]}\n");
}

TEST_F(PexoraFindScreenTest, WaitsForAPictureToAppear) {
  auto waiting = std::async(
      std::launch::async, [&] { return Find("--screen --wait 5 --interval 50 crop.png", server_.display(), "wait"); });
  std::this_thread::sleep_for(std::chrono::seconds(1));
  DisplayedPicture shown(server_.display(), folder_.File("shown.png"), 300, 100);
  const ToolRun run = waiting.get();
  EXPECT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(Place(run.out), "position 340,130 size 32x24 difference 0");
  EXPECT_GE(run.seconds, 1.0);
  EXPECT_LT(run.seconds, 5.0);

  // Nothing appears: exit code 1 once the time has passed, not much later.
  const ToolRun none = Find("--screen --wait 0.5 --interval 100 elsewhere.png", server_.display());
  EXPECT_EQ(none.exit, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_GE(none.seconds, 0.4);
  EXPECT_LT(none.seconds, 3.0);
}

TEST_F(PexoraFindScreenTest, WaitsForAPictureToVanish) {
  auto shown = std::make_unique<DisplayedPicture>(server_.display(), folder_.File("shown.png"), 10, 20);
  ASSERT_EQ(Find("--screen --wait 20 crop.png", server_.display()).exit, 0);
  // Still there when the time is up: exit code 1, and where it still is.
  const ToolRun still = Find("--screen --vanish --wait 0.3 crop.png", server_.display());
  EXPECT_EQ(still.exit, 1);
  EXPECT_EQ(Place(still.out), "position 50,50 size 32x24 difference 0");

  auto waiting = std::async(std::launch::async, [&] {
    return Find("--screen --vanish --wait 10 --json crop.png", server_.display(), "vanish");
  });
  std::this_thread::sleep_for(std::chrono::seconds(1));
  shown.reset();  // the client ends, its window goes
  const ToolRun gone = waiting.get();
  EXPECT_EQ(gone.exit, 0) << gone.err;
  EXPECT_EQ(gone.out, "{\"matches\":[]}\n");
  EXPECT_GE(gone.seconds, 1.0);
  EXPECT_LT(gone.seconds, 10.0);
}

TEST_F(PexoraFindScreenTest, SaysWhyItCannotCapture) {
  const struct Case {
    std::string arguments;
    std::string display;
    std::string message;
  } cases[] = {
      {"--screen crop.png", "", "no X display (DISPLAY is not set)"},
      {"--screen --wait 3 crop.png", ":4711", "no X display (cannot connect to the X display ':4711')"},
      {"--window 0x1234567 crop.png", server_.display(), "cannot capture window 0x1234567: no such window"},
      {"--window 12a crop.png", server_.display(), "--window: expected a window ID"},
      {"--window 0 crop.png", server_.display(), "--window: expected a window ID"},
      {"--screen --window 0x1234567 crop.png", server_.display(), "give --screen or --window, not both"},
      {"--screen shown.png crop.png", server_.display(), "give SEARCH_FOR only"},
      {"--screen", server_.display(), "SEARCH_IN is required"},  // CLI11's name for the one picture
      {"--screen --argb-tolerance 1,2,3 crop.png", server_.display(), "--argb-tolerance: give one value or four"},
      {"--vanish shown.png crop.png", server_.display(), "--wait and --vanish work with --screen or --window"},
      {"--screen --interval 0 crop.png", server_.display(), "--interval"},
      {"--screen missing.png", server_.display(), "cannot load SEARCH_FOR 'missing.png'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Find(c.arguments, c.display);
    EXPECT_EQ(run.exit, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_LT(run.seconds, 3.0);  // an error ends the wait at once
  }
}

}  // namespace
}  // namespace pexora::test
