// pexora-find on the sample pictures and on pictures made here: exit codes,
// text and JSON output, the progress bar, the difference tolerance and its
// defaults, and the arguments it refuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FreeImage.h"
#include "ShellText.h"
#include "TestPictures.h"

namespace {

using pexora::test::Quoted;
using pexora::test::ReadFile;

using pexora::Image;
using pexora::test::FileFormat;

const std::string kSamples = SAMPLES_DIR;

// One line of text output, read back.
struct MatchLine {
  int x = 0, y = 0, width = 0, height = 0, difference = 0;
  std::string percentage;
};

std::vector<MatchLine> ReadLines(const std::string& out) {
  std::vector<MatchLine> lines;
  std::istringstream in(out);
  for (std::string text; std::getline(in, text);) {
    MatchLine m;
    char percentage[64] = {};
    int end = 0;
    if (std::sscanf(text.c_str(), "position %d,%d size %dx%d difference %d percentage %63s%n", &m.x, &m.y, &m.width,
                    &m.height, &m.difference, percentage, &end) != 6 ||
        size_t(end) != text.size()) {
      ADD_FAILURE() << "not a match line: " << text;
      return lines;
    }
    m.percentage = percentage;
    lines.push_back(m);
  }
  return lines;
}

struct ToolRun {
  int exit = -1;
  std::string out;
  std::string err;
};

class PexoraFindTest : public ::testing::Test {
 protected:
  PexoraFindTest() {
    folder_ = std::filesystem::temp_directory_path() / ("pexora-find-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  ~PexoraFindTest() override { std::filesystem::remove_all(folder_); }

  // Runs the tool in the samples folder, on a terminal made by `script` if
  // asked (all it writes then arrives in `out`).
  ToolRun Find(const std::string& arguments, bool onTerminal = false) {
    const std::string tool = Quoted(PEXORA_FIND) + " " + arguments;
    const std::string command =
        "cd " + Quoted(kSamples) + " && " + (onTerminal ? "script -qfec " + Quoted(tool) + " /dev/null" : tool) + " >" +
        Quoted((folder_ / "out").string()) + " 2>" + Quoted((folder_ / "err").string()) + " </dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(folder_ / "out");
    run.err = ReadFile(folder_ / "err");
    return run;
  }

  std::filesystem::path folder_;
};

TEST_F(PexoraFindTest, FindsEachSampleWhereTheGeneratorPutIt) {
  // Where the generator planted each search-for picture (samples/expected.txt).
  const struct Case {
    const char* arguments;
    const char* line;
  } cases[] = {
      {"SearchIn2.jpg SearchFor2.jpg", "position 397,249 size 96x72 difference"},
      {"--type ahsl --ahsl-tolerance 0.5 SearchIn2.jpg SearchFor2.jpg", "position 397,249 size 96x72 difference"},
      {"--alpha --stretch-min 20x20 --stretch-max 100x100 -d 45 SearchInAlphaStretched.PNG SearchForAlpha.png",
       "position 297,131 size 80x80 difference"},
      {"--resample-in 100x100 --resample-for 100x100 --resample-filter catmullrom -d 100 "
       "SearchInResample.jpg SearchForResample.jpg",
       "position 0,0 size 100x100 difference"},
      {"--threads 1 --region 390,240,110,90 SearchIn2.jpg SearchFor2.jpg", "position 397,249 size 96x72 difference"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Find(c.arguments);
    EXPECT_EQ(run.exit, 0);
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(run.out.rfind(c.line, 0), 0u) << run.out;
    const std::vector<MatchLine> lines = ReadLines(run.out);
    ASSERT_GE(lines.size(), 1u);
    // The percentage agrees with the difference over the match's area (no
    // transparent pixels in these pictures).
    const double area = double(lines[0].width) * lines[0].height;
    EXPECT_NEAR(std::stod(lines[0].percentage), 100.0 * (area - lines[0].difference) / area, 1e-9);
  }
}

TEST_F(PexoraFindTest, RegionPercentageAndCountDecideWhatIsFound) {
  const ToolRun all = Find("SearchIn2.jpg SearchFor2.jpg");
  ASSERT_EQ(all.exit, 0);
  const struct Case {
    const char* arguments;
    int exit;
    std::string out;
  } cases[] = {
      {"--region 0,0,300,300 SearchIn2.jpg SearchFor2.jpg", 1, ""},
      {"--region 398,249,200,200 SearchIn2.jpg SearchFor2.jpg", 1, ""},  // one column short of the match
      {"--region 397,249,96,72 SearchIn2.jpg SearchFor2.jpg", 0, all.out},
      {"--min-percentage 100 SearchIn2.jpg SearchFor2.jpg", 1, ""},
      {"--min-percentage 99 --max-matches 1 SearchIn2.jpg SearchFor2.jpg", 0, all.out},
      {"--json --region 0,0,300,300 SearchIn2.jpg SearchFor2.jpg", 1, "{\"matches\":[]}\n"},
      {"--type exact SearchIn2.jpg SearchFor2.jpg", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Find(c.arguments);
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(PexoraFindTest, JsonHoldsTheSameMatchesAsText) {
  const std::string arguments = "-d 400 --argb-tolerance 40 --max-matches 3 SearchIn2.jpg SearchFor2.jpg";
  const ToolRun text = Find(arguments);
  const ToolRun json = Find("--json " + arguments);
  ASSERT_EQ(text.exit, 0);
  ASSERT_EQ(json.exit, 0);
  std::string expected = "{\"matches\":[";
  const std::vector<MatchLine> lines = ReadLines(text.out);
  for (const MatchLine& m : lines) {
    expected += std::string(&m == &lines.front() ? "" : ",") + "{\"x\":" + std::to_string(m.x) +
                ",\"y\":" + std::to_string(m.y) + ",\"width\":" + std::to_string(m.width) +
                ",\"height\":" + std::to_string(m.height) + ",\"difference\":" + std::to_string(m.difference) +
                ",\"percentage\":" + m.percentage + "}";
  }
  expected += "]}\n";
  EXPECT_GE(lines.size(), 1u);
  EXPECT_LE(lines.size(), 3u);
  EXPECT_EQ(json.out, expected);
}

TEST_F(PexoraFindTest, RefusesBadArgumentsWithExitCode2AndSaysWhy) {
  std::ofstream(folder_ / "not-a-picture.png") << "hello";
  const std::string notPicture = Quoted((folder_ / "not-a-picture.png").string());
  const struct Case {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"", "SEARCH_IN is required"},
      {"SearchIn2.jpg", "SEARCH_FOR is required"},
      {"SearchIn2.jpg SearchFor2.jpg extra.png", "extra.png"},
      {"--frobnicate SearchIn2.jpg SearchFor2.jpg", "--frobnicate"},
      {"missing.png SearchFor2.jpg", "cannot load SEARCH_IN 'missing.png': the picture could not be loaded"},
      {"SearchIn2.jpg " + notPicture, "not-a-picture.png': the picture could not be loaded"},
      {"SearchIn2.jpg $(printf 'bad\\377name.png')", "not valid UTF-8"},
      {"SearchIn2.jpg .", "cannot load SEARCH_FOR '.'"},
      {"SearchFor2.jpg SearchIn2.jpg", "does not fit (code 5)"},
      {"--region 0,0,0,10 SearchIn2.jpg SearchFor2.jpg", "--region: the width and height must be at least 1"},
      {"--region 1,2,3 SearchIn2.jpg SearchFor2.jpg", "--region: expected X,Y,WIDTH,HEIGHT"},
      {"--region -1,0,100,100 SearchIn2.jpg SearchFor2.jpg", "--region: expected X,Y,WIDTH,HEIGHT"},
      {"--region 600,0,100,100 SearchIn2.jpg SearchFor2.jpg", "(640x480): a parameter is out of range (code 7)"},
      {"--region 0,0,50,50 SearchIn2.jpg SearchFor2.jpg", "does not fit (code 5)"},
      {"--min-percentage 100.5 SearchIn2.jpg SearchFor2.jpg", "--min-percentage: must lie within 0..100"},
      {"--min-percentage nan SearchIn2.jpg SearchFor2.jpg", "--min-percentage: must lie within 0..100"},
      {"--max-matches -1 SearchIn2.jpg SearchFor2.jpg", "--max-matches"},
      {"--difference 99999999999 SearchIn2.jpg SearchFor2.jpg", "--difference"},
      {"-d 5.5 SearchIn2.jpg SearchFor2.jpg", "--difference: expected N pixels (0..2147483647) or a share P%"},
      {"-d -1 SearchIn2.jpg SearchFor2.jpg", "--difference: expected N pixels"},
      {"-d 100.001% SearchIn2.jpg SearchFor2.jpg", "--difference: expected N pixels"},
      {"-d 1.2345% SearchIn2.jpg SearchFor2.jpg", "--difference: expected N pixels"},
      {"-d .5% SearchIn2.jpg SearchFor2.jpg", "--difference: expected N pixels"},
      {"-d 5%% SearchIn2.jpg SearchFor2.jpg", "--difference: expected N pixels"},
      {"--argb-tolerance 256 SearchIn2.jpg SearchFor2.jpg", "--argb-tolerance"},
      {"--argb-tolerance 1,2,3 SearchIn2.jpg SearchFor2.jpg", "--argb-tolerance: give one value or four"},
      {"--ahsl-tolerance 1.5 SearchIn2.jpg SearchFor2.jpg", "--ahsl-tolerance"},
      {"--ahsl-tolerance 0.1,nan,0.1,0.1 SearchIn2.jpg SearchFor2.jpg", "--ahsl-tolerance: each value must lie"},
      {"--type fuzzy SearchIn2.jpg SearchFor2.jpg", "--type"},
      {"--type exact --alpha SearchIn2.jpg SearchFor2.jpg", "--alpha: works with --type argb or ahsl"},
      {"--stretch-min 0x10 SearchIn2.jpg SearchFor2.jpg", "--stretch-min: expected WIDTHxHEIGHT"},
      {"--stretch-max 10 SearchIn2.jpg SearchFor2.jpg", "--stretch-max: expected WIDTHxHEIGHT"},
      {"--stretch-filter sharp --stretch-max 99x99 SearchIn2.jpg SearchFor2.jpg", "--stretch-filter"},
      {"--resample-in 9000x9000 SearchIn2.jpg SearchFor2.jpg", "not enough memory"},
      {"--threads 3 SearchIn2.jpg SearchFor2.jpg", "--threads"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Find(c.arguments);
    EXPECT_EQ(run.exit, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

TEST_F(PexoraFindTest, HelpNamesEveryOptionWithItsDefault) {
  const ToolRun run = Find("--help");
  EXPECT_EQ(run.exit, 0);
  for (const char* text :
       {"--type exact|argb|ahsl=argb", "--alpha", "--argb-tolerance N|A,R,G,B=15", "--ahsl-tolerance X|A,H,S,L=0.5",
        "--difference N|P%", "Default: 0 with --type exact, 1% with argb and ahsl", "--stretch-min WIDTHxHEIGHT",
        "--stretch-max WIDTHxHEIGHT", "--stretch-filter FILTER=bilinear", "--resample-in WIDTHxHEIGHT",
        "--resample-for WIDTHxHEIGHT", "--resample-filter FILTER=bilinear", "--threads all|1=all",
        "--region X,Y,WIDTH,HEIGHT", "--min-percentage P=0", "--max-matches N=0", "--json", "--timeout SECONDS=0",
        "Exit code: 0 when something was found, 1 when nothing was, 2 on an error, 130 or 143"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
  const ToolRun version = Find("--version");
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out, "pexora-find 1.1.0 (library 1.1.0)\n");
}

TEST_F(PexoraFindTest, ShowsProgressOnlyOnATerminalAndClearsIt) {
  // A search of a second or more: 151 stretched sizes on one thread.
  const std::string slow =
      "--threads 1 --max-matches 1 -t ahsl --alpha --stretch-min 100x100 --stretch-max 250x250 "
      "SearchInAlphaStretched.PNG SearchForAlpha.png";
  const ToolRun piped = Find(slow);
  EXPECT_EQ(piped.err, "");
  const ToolRun terminal = Find(slow, true);
  EXPECT_EQ(terminal.exit, piped.exit);
  EXPECT_NE(terminal.out.find("searching ["), std::string::npos) << terminal.out;
  EXPECT_NE(terminal.out.find("\r\033[K"), std::string::npos);
}

// Colour noise with blue in 216..255, which nothing of a background of
// channels 0..199 comes within tolerance 15 of; green 216..255 for a single
// pixel, 0..199 otherwise, so that no pixel of a larger icon is like it.
Image Icon(int32_t width, int32_t height, uint32_t seed) {
  Image icon = pexora::test::RandomPicture(width, height, seed);
  const bool single = width * height == 1;
  for (uint32_t& p : icon.pixels) {
    const uint32_t green = single ? 216 + pexora::GreenOf(p) % 40 : pexora::GreenOf(p) % 200;
    p = (p & 0xFFFF0000u) | green << 8 | (216 + pexora::BlueOf(p) % 40);
  }
  return icon;
}

// A picture closer to a photograph than noise, every channel within 0..199.
Image Background(uint32_t seed) {
  Image picture = pexora::test::NaturalPicture(640, 360, seed);
  for (uint32_t& p : picture.pixels) {
    p = 0xFF000000u | (pexora::RedOf(p) * 200 / 256) << 16 | (pexora::GreenOf(p) * 200 / 256) << 8 |
        pexora::BlueOf(p) * 200 / 256;
  }
  return picture;
}

TEST_F(PexoraFindTest, DefaultsFindSmallAndLargePicturesWhereTheyAreAndNowhereElse) {
  // Each present picture at its place: the small ones icons put there, the
  // larger ones crops of the background itself, the 16 x 16 one across a
  // flat block's edge (a featureless crop of a smooth wave is there, within
  // tolerance 15, wherever the wave is alike). The absent ones: other icons,
  // crops of another background.
  const struct Size {
    int32_t width, height, x, y;
    bool small;
  } sizes[] = {{1, 1, 600, 300, true},
               {4, 4, 520, 200, true},
               {16, 16, 570, 90, false},
               {64, 64, 500, 20, false},
               {480, 270, 10, 10, false}};
  Image background = Background(1);
  const Image elsewhere = Background(2);
  for (const Size& s : sizes) {
    const std::string name = std::to_string(s.width) + "x" + std::to_string(s.height);
    Image present = pexora::test::Crop(background, s.x, s.y, s.width, s.height);
    Image absent = pexora::test::Crop(elsewhere, s.x, s.y, s.width, s.height);
    if (s.small) {
      present = Icon(s.width, s.height, 10 + uint32_t(s.width));
      absent = Icon(s.width, s.height, 20 + uint32_t(s.width));
      pexora::test::Stamp(background, present, s.x, s.y);
    }
    pexora::test::SavePicture(present, folder_ / ("present-" + name + ".png"), FileFormat::kPng);
    pexora::test::SavePicture(absent, folder_ / ("absent-" + name + ".png"), FileFormat::kPng);
  }
  pexora::test::SavePicture(background, folder_ / "scene.png", FileFormat::kPng);
  // JPEG at quality 85 without chroma subsampling: with it, the saturated
  // edges of the flat blocks leave 1 to 2 % of the pixels beyond tolerance 15.
  pexora::test::SavePicture(background, folder_ / "scene.jpg", FileFormat::kJpeg, 85 | JPEG_SUBSAMPLING_444);

  for (const Size& s : sizes) {
    const std::string name = std::to_string(s.width) + "x" + std::to_string(s.height);
    const std::string place = "position " + std::to_string(s.x) + "," + std::to_string(s.y) + " size " + name + " ";
    for (const char* scene : {"scene.png", "scene.jpg"}) {
      for (const char* type : {"argb", "exact"}) {
        const std::string options = std::string("-t ") + type + " " + Quoted((folder_ / scene).string()) + " ";
        SCOPED_TRACE(options + name);
        const ToolRun absent = Find(options + Quoted((folder_ / ("absent-" + name + ".png")).string()));
        EXPECT_EQ(absent.exit, 1);
        EXPECT_EQ(absent.out, "");
        const ToolRun present = Find(options + Quoted((folder_ / ("present-" + name + ".png")).string()));
        const std::vector<MatchLine> lines = ReadLines(present.out);
        if (std::string(scene) == "scene.png") {
          EXPECT_EQ(present.exit, 0);
          ASSERT_EQ(lines.size(), 1u) << present.out;
          EXPECT_EQ(present.out.rfind(place, 0), 0u) << present.out;
        } else if (std::string(type) == "exact") {
          EXPECT_EQ(present.exit, 1) << present.out;  // JPEG changed its pixels
        } else if (!s.small) {  // a few pixels do not come through JPEG's blocks within tolerance 15
          // Once only, where JPEG's noise may move the best position by a
          // pixel along an edge.
          EXPECT_EQ(present.exit, 0);
          ASSERT_EQ(lines.size(), 1u) << present.out;
          EXPECT_LE(std::abs(lines[0].x - s.x), 1) << present.out;
          EXPECT_LE(std::abs(lines[0].y - s.y), 1) << present.out;
          EXPECT_EQ(lines[0].width, s.width);
          EXPECT_EQ(lines[0].height, s.height);
        }
      }
    }
  }
  // What a count of 150 pixels did: every 4 x 4 position has at most 16 differing ones.
  const ToolRun counted = Find("-d 150 -n 3 " + Quoted((folder_ / "scene.png").string()) + " " +
                               Quoted((folder_ / "absent-4x4.png").string()));
  EXPECT_EQ(ReadLines(counted.out).size(), 3u);
}

TEST_F(PexoraFindTest, DifferenceIsACountOrAShareOfEachSizesComparedPixels) {
  // A 20 x 20 picture of noise put into other noise at (10, 10), or doubled
  // at (70, 50) (the box filter doubles by repeating pixels, so stretching
  // finds it with no difference), with `altered` of its pixels far off.
  const Image noise = pexora::test::RandomPicture(160, 120, 5);
  const Image crop = pexora::test::RandomPicture(20, 20, 6);
  const std::string stretch = "--stretch-min 20x20 --stretch-max 40x40 --stretch-filter box ";
  const struct Case {
    std::string options;
    int altered;
    bool doubled;
    bool found;
  } cases[] = {
      {"-d 5%", 20, false, true},  // 5 % of 400 pixels: 20
      {"-d 5%", 21, false, false},
      {"-d 5.000%", 20, false, true},
      {"-d 4.75%", 19, false, true},
      {"-d 4.75%", 20, false, false},
      {"-d 4.999%", 20, false, false},
      {"-d 0%", 1, false, false},
      {"-d 20", 20, false, true},
      {"-d 20", 21, false, false},
      {"-d 10% -p 95", 20, false, true},  // the stricter of the two
      {"-d 10% -p 95.25", 20, false, false},
      {"-d 5% " + stretch, 20, false, true},  // the own size among the stretched ones
      {"-d 5% " + stretch, 21, false, false},
      {"-d 5% " + stretch, 80, true, true},  // 5 % of the doubled size's 1600 pixels: 80
      {"-d 5% " + stretch, 81, true, false},
      {"-d 20 " + stretch, 21, true, false},  // a count is the same for every size
  };
  pexora::test::SavePicture(crop, folder_ / "crop.png", FileFormat::kPng);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options + " altered " + std::to_string(c.altered) + (c.doubled ? " doubled" : ""));
    const int32_t side = c.doubled ? 40 : 20, x = c.doubled ? 70 : 10, y = c.doubled ? 50 : 10;
    Image part{side, side, std::vector<uint32_t>(size_t(side) * size_t(side))};
    for (int32_t py = 0; py < side; ++py) {
      for (int32_t px = 0; px < side; ++px)
        part.pixels[size_t(py * side + px)] = crop.At(px * 20 / side, py * 20 / side);
    }
    for (int i = 0; i < c.altered; ++i) part.pixels[size_t(i)] ^= 0x00808080u;
    Image scene = noise;
    pexora::test::Stamp(scene, part, x, y);
    pexora::test::SavePicture(scene, folder_ / "scene.png", FileFormat::kPng);
    const ToolRun run = Find("-n 1 " + c.options + " " + Quoted((folder_ / "scene.png").string()) + " " +
                             Quoted((folder_ / "crop.png").string()));
    if (c.found) {
      EXPECT_EQ(run.exit, 0);
      const std::string place = "position " + std::to_string(x) + "," + std::to_string(y) + " size " +
                                std::to_string(side) + "x" + std::to_string(side) + " difference " +
                                std::to_string(c.altered) + " ";
      EXPECT_EQ(run.out.rfind(place, 0), 0u) << run.out;
    } else {
      EXPECT_EQ(run.exit, 1) << run.out;
    }
  }
}

}  // namespace
