// pexora-find --batch on folders of sample pictures: what each picture
// reports, the exit codes, pictures that fail or vanish, and the progress bar.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ShellText.h"
#include "TestPictures.h"

namespace {

using pexora::test::Quoted;
using pexora::test::ReadFile;

namespace fs = std::filesystem;

const fs::path kSamples = SAMPLES_DIR;

struct ToolRun {
  int exit = -1;
  std::string out;
  std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class PexoraFindBatchTest : public ::testing::Test {
 protected:
  PexoraFindBatchTest() {
    folder_ = fs::temp_directory_path() / ("pexora-find-batch-test-" + std::to_string(getpid()));
    fs::create_directories(folder_);
  }
  ~PexoraFindBatchTest() override { fs::remove_all(folder_); }

  // Runs the tool in the test's folder, on a terminal made by `script` if
  // asked (all it writes then arrives in `out`).
  ToolRun Find(const std::string& arguments, bool onTerminal = false) {
    const std::string tool = Quoted(PEXORA_FIND) + " " + arguments;
    const std::string command = "cd " + Quoted(folder_.string()) + " && " +
                                (onTerminal ? "script -qfec " + Quoted(tool) + " /dev/null" : tool) + " >" +
                                Quoted((folder_ / "out").string()) + " 2>" + Quoted((folder_ / "err").string()) +
                                " </dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(folder_ / "out");
    run.err = ReadFile(folder_ / "err");
    return run;
  }

  // A copy of a sample picture at `relative` in the test's folder.
  void Copy(const std::string& sample, const std::string& relative) {
    fs::create_directories((folder_ / relative).parent_path());
    fs::copy_file(kSamples / sample, folder_ / relative, fs::copy_options::overwrite_existing);
  }

  void Write(const std::string& relative, const std::string& content) {
    fs::create_directories((folder_ / relative).parent_path());
    std::ofstream(folder_ / relative, std::ios::binary) << content;
  }

  // The first `bytes` bytes of a sample: a picture cut short.
  void Cut(const std::string& sample, const std::string& relative, size_t bytes) {
    Write(relative, ReadFile(kSamples / sample).substr(0, bytes));
  }

  fs::path folder_;
};

TEST_F(PexoraFindBatchTest, WalksFoldersForPicturesAndPrintsEachMatchAfterItsFile) {
  Copy("SearchIn2.jpg", "shots/b/one.jpg");
  Copy("SearchIn2.jpg", "shots/a/deep/two.JPG");
  Copy("SearchInResample.jpg", "shots/a/other.jpeg");
  Copy("SearchIn2.jpg", "shots/a/not-a-picture.txt");  // not by its name
  Copy("SearchForAlpha.png", "small.png");             // smaller than the search-for picture
  Copy("SearchFor2.jpg", "logo.jpg");
  const ToolRun run = Find("--batch logo.jpg shots small.png");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.out,
            "shots/a/deep/two.JPG: position 397,249 size 96x72 difference 22 percentage 99.68171296296296\n"
            "shots/b/one.jpg: position 397,249 size 96x72 difference 22 percentage 99.68171296296296\n");
  EXPECT_EQ(run.err,
            "pexora-find: small.png: cannot search for 'logo.jpg' (96x72) in it (64x64): a size is out of range, or "
            "the search-for picture does not fit (code 5)\n");
}

TEST_F(PexoraFindBatchTest, EverySearchOptionAppliesToEachPictureAsInASingleSearch) {
  // Each picture's object in the batch is the single search's output with the
  // file's name in front.
  Copy("SearchIn2.jpg", "in/1.jpg");
  Copy("SearchInAlphaStretched.PNG", "in/2.PNG");
  Copy("SearchInResample.jpg", "in/3.jpg");
  Copy("SearchForAlpha.png", "alpha.png");
  Copy("SearchFor2.jpg", "for.jpg");
  Copy("SearchForResample.jpg", "resample.jpg");
  const struct Case {
    const char* options;
    const char* searchFor;
  } cases[] = {
      {"-d 400 --argb-tolerance 40 --max-matches 3", "for.jpg"},
      {"--type ahsl --ahsl-tolerance 0.2", "for.jpg"},
      {"--region 390,240,110,90 --min-percentage 99", "for.jpg"},
      {"--alpha --stretch-min 20x20 --stretch-max 100x100 -d 45", "alpha.png"},
      {"--resample-in 100x100 --resample-for 100x100 --resample-filter catmullrom -d 100", "resample.jpg"},
      {"--threads 1 --type exact", "for.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    std::string expected;
    bool anyMatch = false;
    for (const char* in : {"in/1.jpg", "in/2.PNG", "in/3.jpg"}) {
      const ToolRun single = Find(std::string("--json ") + c.options + " " + in + " " + c.searchFor);
      std::string line = "{\"file\":\"" + std::string(in) + "\",";
      if (single.exit == 2) {
        // The single search's reason, for the picture in place of SEARCH_IN.
        const size_t colon = single.err.rfind("): ");
        ASSERT_NE(colon, std::string::npos) << single.err;
        line += "\"error\":\"" + single.err.substr(colon + 3, single.err.size() - colon - 4) + "\"}\n";
      } else {
        line += single.out.substr(1);
      }
      anyMatch = anyMatch || single.exit == 0;
      expected += line;
    }
    const ToolRun batch = Find(std::string("--json ") + c.options + " --batch " + c.searchFor + " in");
    // Errors keep the library's reason; the sizes are said differently.
    std::vector<std::string> got = Lines(batch.out), want = Lines(expected);
    ASSERT_EQ(got.size(), want.size()) << batch.out;
    for (size_t i = 0; i < got.size(); ++i) {
      if (want[i].find("\"error\"") != std::string::npos) {
        const std::string reason = want[i].substr(want[i].find("\"error\":\"") + 9);
        EXPECT_NE(got[i].find(reason), std::string::npos) << got[i] << "\n" << want[i];
      } else {
        EXPECT_EQ(got[i], want[i]);
      }
    }
    EXPECT_EQ(batch.exit, anyMatch ? 0 : 1);
  }
}

TEST_F(PexoraFindBatchTest, ExitCodeSaysWhetherAnyPictureMatchedOrAllFailed) {
  Copy("SearchFor2.jpg", "logo.jpg");
  Copy("SearchIn2.jpg", "good/one.jpg");
  Copy("SearchInResample.jpg", "plain/nothing.jpg");
  fs::create_directories(folder_ / "empty/inside");
  Write("broken/empty.png", "");
  Write("broken/text.jpg", "hello, not a picture");
  Write("broken/deep/noise.gif", std::string(5000, '\x5a'));
  Cut("SearchIn2.jpg", "broken/cut.jpg", 3000);
  Cut("SearchInAlphaStretched.PNG", "broken/cut.png", 20000);
  Write("broken/readme.txt", "not looked at");
  const struct Case {
    std::string arguments;
    int exit;
    size_t errorLines;
  } cases[] = {
      {"--batch logo.jpg good", 0, 0},    {"--batch logo.jpg good broken plain missing.png", 0, 6},
      {"--batch logo.jpg plain", 1, 0},   {"--batch logo.jpg plain broken", 1, 5},
      {"--batch logo.jpg broken", 2, 5},  {"--batch logo.jpg missing.png", 2, 1},
      {"--batch logo.jpg empty", 1, 1},  // nothing to search in: said so
      {"--batch missing.png good", 2, 1}, {"--batch broken/text.jpg good", 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Find(c.arguments);
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_EQ(Lines(run.err).size(), c.errorLines) << run.err;
    for (const std::string& line : Lines(run.err)) EXPECT_EQ(line.rfind("pexora-find: ", 0), 0u) << line;
  }
  // Broken pictures are each told apart by name, in the order of their paths.
  const ToolRun json = Find("--json --batch logo.jpg broken");
  std::string expected;
  for (const char* name :
       {"broken/cut.jpg", "broken/cut.png", "broken/deep/noise.gif", "broken/empty.png", "broken/text.jpg"}) {
    expected += "{\"file\":\"" + std::string(name) +
                "\",\"error\":\"cannot load: the picture could not be loaded: missing, unreadable or not a PNG, "
                "JPEG, BMP, GIF or TIFF file (code 3)\"}\n";
  }
  EXPECT_EQ(json.out, expected);
  EXPECT_EQ(json.err, "");
  EXPECT_EQ(json.exit, 2);
}

TEST_F(PexoraFindBatchTest, TheTimeLimitBoundsEachPictureAndTheBatchGoesOn) {
  // A small picture stretched 1..64 over a large picture of its own colour
  // matches almost everywhere at every size: far longer than the limit. In
  // a small picture of that colour the same search ends within it.
  const uint32_t grey = 0xFFC8C8C8u;
  fs::create_directories(folder_ / "in");
  pexora::test::SavePicture({8, 8, std::vector<uint32_t>(64, grey)}, folder_ / "dot.png",
                            pexora::test::FileFormat::kPng);
  pexora::test::SavePicture({2048, 2048, std::vector<uint32_t>(size_t{2048} * 2048, grey)}, folder_ / "in/large.png",
                            pexora::test::FileFormat::kPng);
  pexora::test::SavePicture({24, 24, std::vector<uint32_t>(24 * 24, grey)}, folder_ / "in/small.png",
                            pexora::test::FileFormat::kPng);
  const ToolRun run = Find("--json --timeout 0.5 --stretch-min 1x1 --stretch-max 64x64 -n 1 --batch dot.png in");
  EXPECT_EQ(run.exit, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 2u) << run.out;
  EXPECT_EQ(lines[0],
            "{\"file\":\"in/large.png\",\"error\":\"cannot search for 'dot.png' (8x8) in it (2048x2048): the "
            "comparison reached its time limit (code 9)\"}");
  EXPECT_EQ(lines[1].rfind("{\"file\":\"in/small.png\",\"matches\":[{", 0), 0u) << lines[1];
}

TEST_F(PexoraFindBatchTest, RefusesAMissingPathOrSearchForPicture) {
  const ToolRun run = Find("--batch logo.jpg");
  EXPECT_EQ(run.exit, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("PATH is required"), std::string::npos) << run.err;
  const ToolRun option = Find("--batch");
  EXPECT_EQ(option.exit, 2);
  EXPECT_NE(option.err.find("--batch"), std::string::npos) << option.err;
  const ToolRun help = Find("--help");
  EXPECT_NE(help.out.find("--batch SEARCH_FOR"), std::string::npos) << help.out;
}

TEST_F(PexoraFindBatchTest, JsonNamesFilesAsJsonStrings) {
  Copy("SearchFor2.jpg", "logo.jpg");
  Copy("SearchIn2.jpg", "odd/quote\"back\\slash\ttab.jpg");
  Copy("SearchIn2.jpg", "odd/\xC3\xA9t\xC3\xA9.jpg");
  Copy("SearchIn2.jpg", "odd/bad\xFFname.jpg");
  const ToolRun run = Find("--json --max-matches 1 --batch logo.jpg odd");
  const std::string matches =
      "\"matches\":[{\"x\":397,\"y\":249,\"width\":96,\"height\":72,\"difference\":22,\"percentage\":"
      "99.68171296296296}]}";
  EXPECT_EQ(run.out,
            "{\"file\":\"odd/bad\\ufffdname.jpg\",\"error\":\"cannot load: the file name is not valid UTF-8\"}\n"
            "{\"file\":\"odd/quote\\\"back\\\\slash\\u0009tab.jpg\"," +
                matches +
                "\n"
                "{\"file\":\"odd/\xC3\xA9t\xC3\xA9.jpg\"," +
                matches + "\n");
  EXPECT_EQ(run.exit, 0);
}

TEST_F(PexoraFindBatchTest, OneThreadOrAllGiveTheSameLinesInTheSameOrder) {
  Copy("SearchFor2.jpg", "logo.jpg");
  for (int i = 0; i < 40; ++i) {
    const std::string name = "many/" + std::to_string(i % 7) + "/" + std::to_string(i);
    Copy(i % 3 == 0 ? "SearchInResample.jpg" : "SearchIn2.jpg", name + ".jpg");
    if (i % 5 == 0) Write(name + "-broken.png", "broken");
  }
  const ToolRun all = Find("--json -d 400 --batch logo.jpg many");
  const ToolRun one = Find("--json -d 400 --threads 1 --batch logo.jpg many");
  EXPECT_EQ(Lines(all.out).size(), 48u);
  EXPECT_EQ(all.out, one.out);
  EXPECT_EQ(all.exit, 0);
}

TEST_F(PexoraFindBatchTest, APictureDeletedWhileTheBatchRunsIsReportedAndTheBatchGoesOn) {
  Copy("SearchFor2.jpg", "logo.jpg");
  constexpr int kCount = 300;
  std::vector<std::string> names;
  for (int i = 0; i < kCount; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "vanishing/%03d.jpg", i);
    Copy("SearchIn2.jpg", name);
    names.push_back(name);
  }
  const std::string command = "cd " + Quoted(folder_.string()) + " && " + Quoted(PEXORA_FIND) +
                              " --json --threads 1 --batch logo.jpg vanishing 2>/dev/null; echo exit $?";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> lines;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    lines.emplace_back(buffer);
    if (lines.size() == 1) {
      // The batch has searched the first picture: the others go now.
      for (size_t i = 1; i < names.size(); ++i) fs::remove(folder_ / names[i]);
    }
  }
  pclose(pipe);
  ASSERT_EQ(lines.size(), size_t(kCount) + 1);
  EXPECT_EQ(lines.back(), "exit 0\n");
  size_t vanished = 0;
  for (int i = 0; i < kCount; ++i) {
    SCOPED_TRACE(lines[size_t(i)]);
    EXPECT_EQ(lines[size_t(i)].rfind("{\"file\":\"" + names[size_t(i)] + "\",", 0), 0u);
    const bool found = lines[size_t(i)].find("\"matches\":[{\"x\":397,\"y\":249,") != std::string::npos;
    const bool gone =
        lines[size_t(i)].find("\"error\":\"cannot load: the picture could not be loaded") != std::string::npos;
    EXPECT_TRUE(found != gone);
    vanished += gone ? 1 : 0;
  }
  EXPECT_TRUE(lines.front().find("\"matches\":[{") != std::string::npos);
  // Only the few searched ahead of the printed ones can have been loaded.
  EXPECT_GT(vanished, size_t(kCount) / 2);
}

TEST_F(PexoraFindBatchTest, ShowsPicturesDoneMatchesAndRateOnATerminalOnly) {
  Copy("SearchFor2.jpg", "logo.jpg");
  for (int i = 0; i < 12; ++i)
    Copy(i % 2 ? "SearchIn2.jpg" : "SearchInResample.jpg", "p/" + std::to_string(i) + ".jpg");
  const ToolRun piped = Find("--json --batch logo.jpg p");
  EXPECT_EQ(piped.err, "");
  const ToolRun terminal = Find("--json --batch logo.jpg p", true);
  EXPECT_EQ(terminal.exit, piped.exit);
  EXPECT_NE(terminal.out.find("pictures 12/12, 6 with matches, "), std::string::npos) << terminal.out;
  EXPECT_NE(terminal.out.find("/s"), std::string::npos);
  // The bar is taken away at the end: the last thing written clears its line.
  EXPECT_EQ(terminal.out.substr(terminal.out.size() - 4), "\r\033[K") << terminal.out;
}

}  // namespace
