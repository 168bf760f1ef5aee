// Pexora_CreateObjectFromBitmapHandle against real X servers (Xvfb): the
// screen and single windows and pixmaps as X clients show them, and the
// codes for everything that cannot be read.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

#include "LibraryFixture.h"
#include "XServer.h"

// Found by argument-dependent lookup: the records live in the global namespace.
static bool operator==(const TPXDimensions& a, const TPXDimensions& b) {
  return a.Width == b.Width && a.Height == b.Height;
}
static std::ostream& operator<<(std::ostream& out, const TPXDimensions& d) { return out << d.Width << "x" << d.Height; }

namespace pexora::test {
namespace {

// A capture of drawable `xid` (0: the screen), freed with the object.
struct Capture {
  TPXObject record{};
  int32_t code = -1;

  explicit Capture(uintptr_t xid, TPXCreateObjectParameters parameters = {}) {
    record.ImageObject = reinterpret_cast<void*>(xid);
    code = Pexora_CreateObjectFromBitmapHandle(&record, parameters);
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  ~Capture() {
    if (code == PX_OK) Pexora_FreeObject(&record);
  }
  TPXDimensions size() const { return record.OriginalDimensions; }
};

TPXProcessParameters Exact() {
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_EXACT;
  p.MultipleMatches = 1;
  return p;
}

// The tool's defaults: ARGB within 15 a channel, 150 pixels may differ.
TPXProcessParameters ToolDefaults() { return ArgbParameters(15, 150); }

struct Place {
  int x = -1, y = -1, difference = -1;
  bool operator==(const Place&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Place& p) {
  return out << "(" << p.x << ", " << p.y << ") difference " << p.difference;
}

// Where `part` lies in `in`, best match first; empty when nowhere.
std::vector<Place> Find(const TPXObject& in, const Image& part, const TPXProcessParameters& parameters) {
  PixelObject of(part);
  EXPECT_EQ(of.code, PX_OK);
  Comparison c(in, of.record, parameters);
  EXPECT_EQ(c.code, PX_OK);
  std::vector<Place> places;
  for (const TPXResultMatches& m : c.Entries()) places.push_back({m.Position.X, m.Position.Y, m.Difference});
  return places;
}

std::optional<Place> Best(const TPXObject& in, const Image& part, const TPXProcessParameters& parameters) {
  const std::vector<Place> places = Find(in, part, parameters);
  if (places.empty()) return std::nullopt;
  return places.front();
}

// Captures `xid` until `part` shows exactly somewhere, for up to 20 s (a
// client paints its window a moment after it appears); where it showed.
std::optional<Place> WaitUntilShown(uintptr_t xid, const Image& part) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    Capture shot(xid);
    if (shot.code == PX_OK) {
      if (auto place = Best(shot.record, part, Exact())) return place;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

Image Transparent(int width, int height) { return Image{width, height, std::vector<uint32_t>(size_t(width) * height)}; }

// DISPLAY as a test sets it, restored afterwards.
class DisplayVariable {
 public:
  DisplayVariable() {
    if (const char* value = std::getenv("DISPLAY")) saved_ = value;
  }
  ~DisplayVariable() {
    if (saved_) {
      setenv("DISPLAY", saved_->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }
  DisplayVariable(const DisplayVariable&) = delete;
  DisplayVariable& operator=(const DisplayVariable&) = delete;

 private:
  std::optional<std::string> saved_;
};

TEST(ScreenCaptureWithoutDisplayTest, IsNotAvailableAndLeavesTheRecordAsItWas) {
  DisplayVariable restore;
  const char16_t name[] = u"kept.png";
  int user = 0;
  const struct Case {
    const char* display;  // null: unset
  } cases[] = {{nullptr}, {""}, {":4711"}, {":4711.3"}, {"not a display name"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.display ? c.display : "(unset)");
    if (c.display) {
      setenv("DISPLAY", c.display, 1);
    } else {
      unsetenv("DISPLAY");
    }
    for (const uintptr_t xid : {uintptr_t{0}, uintptr_t{0x400001}}) {
      TPXObject record{name, reinterpret_cast<void*>(xid), {7, 8}, {9, 10}, &user};
      EXPECT_EQ(Pexora_CreateObjectFromBitmapHandle(&record, {}), PX_ERROR_NOT_AVAILABLE);
      EXPECT_EQ(record.FileName, name);
      EXPECT_EQ(record.ImageObject, reinterpret_cast<void*>(xid));
      EXPECT_EQ(record.OriginalDimensions, (TPXDimensions{7, 8}));
      EXPECT_EQ(record.ProcessedDimensions, (TPXDimensions{9, 10}));
      EXPECT_EQ(record.User, &user);
    }
  }
  EXPECT_EQ(Pexora_CreateObjectFromBitmapHandle(nullptr, {}), PX_ERROR_OBJECT);
}

// With the shared-memory extension, and without it, as on a remote display:
// the plain image request reads the same pixels.
class ScreenCaptureTest : public ::testing::TestWithParam<bool> {
 protected:
  ScreenCaptureTest() : client_(server_.display()) { setenv("DISPLAY", server_.display().c_str(), 1); }

  DisplayVariable restore_;
  XServer server_{"640x480x24",
                  GetParam() ? std::vector<std::string>{} : std::vector<std::string>{"-extension", "MIT-SHM"}};
  XClient client_;
  TempFolder folder_;
};

TEST_P(ScreenCaptureTest, FindsWhatARealClientShowsWhereItShowsIt) {
  const Image picture = RandomPicture(120, 90, 7);
  SavePicture(picture, folder_.File("shown.png"), FileFormat::kPng);
  DisplayedPicture shown(server_.display(), folder_.File("shown.png"), 200, 150);
  ASSERT_NE(shown.window(), 0u) << "display showed no window";
  ASSERT_EQ(WaitUntilShown(0, picture), (Place{200, 150, 0}));

  // The whole screen: a crop where it lies on the screen, at the tool's
  // default tolerances.
  Capture screen(0);
  ASSERT_EQ(screen.code, PX_OK);
  EXPECT_EQ(screen.size(), (TPXDimensions{640, 480}));
  EXPECT_EQ(screen.record.ProcessedDimensions, (TPXDimensions{640, 480}));
  EXPECT_NE(screen.record.ImageObject, nullptr);
  EXPECT_EQ(Best(screen.record, Crop(picture, 40, 30, 32, 24), ToolDefaults()), (Place{240, 180, 0}));

  // The window alone, in its own coordinates; FileName and User untouched.
  const char16_t name[] = u"kept.png";
  int user = 0;
  TPXObject record{name, reinterpret_cast<void*>(uintptr_t{shown.window()}), {}, {}, &user};
  ASSERT_EQ(Pexora_CreateObjectFromBitmapHandle(&record, {}), PX_OK);
  EXPECT_EQ(record.FileName, name);
  EXPECT_EQ(record.User, &user);
  EXPECT_EQ(record.OriginalDimensions, (TPXDimensions{120, 90}));
  EXPECT_EQ(Best(record, picture, Exact()), (Place{0, 0, 0}));
  EXPECT_EQ(Best(record, Crop(picture, 40, 30, 32, 24), ToolDefaults()), (Place{40, 30, 0}));
  EXPECT_EQ(Pexora_FreeObject(&record), PX_OK);
}

TEST_P(ScreenCaptureTest, ProcessesAtCreationExactlyAsObjectsFromPixels) {
  const Image picture = NaturalPicture(120, 90, 3);
  const xcb_window_t window = client_.Window(picture, 10, 20);
  ASSERT_EQ(WaitUntilShown(window, picture), (Place{0, 0, 0}));
  for (const int filter : {PX_RESAMPLER_BICUBIC, PX_RESAMPLER_BOX, PX_RESAMPLER_LANCZOS3}) {
    SCOPED_TRACE(filter);
    const TPXCreateObjectParameters resample{PX_PROCESS_TYPE_RESAMPLE, {61, 43}, filter};
    Capture shot(window, resample);
    ASSERT_EQ(shot.code, PX_OK);
    EXPECT_EQ(shot.size(), (TPXDimensions{120, 90}));
    EXPECT_EQ(shot.record.ProcessedDimensions, (TPXDimensions{61, 43}));
    PixelObject fromPixels(picture, resample);
    ASSERT_EQ(fromPixels.code, PX_OK);
    Comparison same(shot.record, fromPixels.record, Exact());
    ASSERT_EQ(same.code, PX_OK);
    ASSERT_EQ(same.result.MatchCount, 1);
    EXPECT_EQ(same[0].Position.X, 0);
    EXPECT_EQ(same[0].Difference, 0);
  }
  // Parameters are checked first, with the codes of Pexora_CreateObject.
  EXPECT_EQ(Capture(window, {7, {}, 0}).code, PX_ERROR_NOT_AVAILABLE);
  EXPECT_EQ(Capture(window, {PX_PROCESS_TYPE_RESAMPLE, {0, 5}, 0}).code, PX_ERROR_DIMENSIONS);
  EXPECT_EQ(Capture(window, {PX_PROCESS_TYPE_RESAMPLE, {5, 5}, 9}).code, PX_ERROR_NOT_AVAILABLE);
  EXPECT_EQ(Capture(window, {PX_PROCESS_TYPE_RESAMPLE, {9000, 9000}, 0}).code, PX_ERROR_NOT_ENOUGH_MEMORY);
}

TEST_P(ScreenCaptureTest, ReadsAPixmapWhole) {
  const Image picture = RandomPicture(700, 30, 5);  // wider than the screen: a pixmap is not on it
  const xcb_pixmap_t pixmap = client_.Pixmap(picture);
  Capture shot(pixmap);
  ASSERT_EQ(shot.code, PX_OK);
  EXPECT_EQ(shot.size(), (TPXDimensions{700, 30}));
  EXPECT_EQ(Best(shot.record, picture, Exact()), (Place{0, 0, 0}));
}

TEST_P(ScreenCaptureTest, AWindowPartlyOffTheScreenKeepsItsSizeAndItsHiddenPartIsTransparent) {
  const Image picture = RandomPicture(120, 90, 11);
  // 30 columns left of the screen, 10 rows below it.
  const xcb_window_t window = client_.Window(picture, -30, 400);
  const Image visible = Crop(picture, 30, 0, 90, 80);
  ASSERT_EQ(WaitUntilShown(window, visible), (Place{30, 0, 0}));
  Capture shot(window);
  ASSERT_EQ(shot.code, PX_OK);
  EXPECT_EQ(shot.size(), (TPXDimensions{120, 90}));
  EXPECT_EQ(Best(shot.record, Transparent(30, 90), Exact()), (Place{0, 0, 0}));
  EXPECT_EQ(Best(shot.record, Transparent(120, 10), Exact()), (Place{0, 80, 0}));
  // The pixels outside the screen never match an opaque picture.
  EXPECT_EQ(Find(shot.record, Crop(picture, 0, 0, 40, 40), ToolDefaults()), std::vector<Place>{});
  // On the screen, the visible part is where the window shows it.
  Capture screen(0);
  ASSERT_EQ(screen.code, PX_OK);
  EXPECT_EQ(Best(screen.record, visible, Exact()), (Place{0, 400, 0}));
}

TEST_P(ScreenCaptureTest, ACoveredWindowShowsWhatTheScreenShowsThere) {
  const Image below = RandomPicture(120, 90, 21);
  const Image above = RandomPicture(60, 40, 22);
  const xcb_window_t lower = client_.Window(below, 100, 100);
  const xcb_window_t upper = client_.Window(above, 150, 120);  // the later window is on top
  ASSERT_EQ(WaitUntilShown(0, above), (Place{150, 120, 0}));
  ASSERT_EQ(WaitUntilShown(lower, Crop(below, 0, 0, 50, 90)), (Place{0, 0, 0}));
  Capture shot(lower);
  ASSERT_EQ(shot.code, PX_OK);
  EXPECT_EQ(shot.size(), (TPXDimensions{120, 90}));
  // As on the screen: the covered part holds the window on top, the rest is
  // the window's own.
  EXPECT_EQ(Best(shot.record, above, Exact()), (Place{50, 20, 0}));
  EXPECT_EQ(Best(shot.record, Crop(below, 0, 60, 120, 30), Exact()), (Place{0, 60, 0}));
  // Moved away, the window on top leaves the lower one whole again.
  client_.Destroy(upper);
  EXPECT_EQ(WaitUntilShown(lower, below), (Place{0, 0, 0}));
}

TEST_P(ScreenCaptureTest, DrawablesThatCannotBeReadGiveLoadingAndLeaveTheRecord) {
  const Image picture = RandomPicture(40, 30, 31);
  const xcb_window_t unmapped = client_.Window(picture, 5, 5, false);
  const xcb_window_t destroyed = client_.Window(picture, 5, 5);
  client_.Destroy(destroyed);
  const struct Case {
    const char* what;
    uintptr_t xid;
  } cases[] = {
      {"made up", 0x1234567},
      {"unmapped window", unmapped},
      {"destroyed window", destroyed},
      {"beyond 32 bits", (uintptr_t{1} << 40) | 0x400001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int user = 0;
    TPXObject record{nullptr, reinterpret_cast<void*>(c.xid), {1, 2}, {3, 4}, &user};
    EXPECT_EQ(Pexora_CreateObjectFromBitmapHandle(&record, {}), PX_ERROR_LOADING);
    EXPECT_EQ(record.ImageObject, reinterpret_cast<void*>(c.xid));
    EXPECT_EQ(record.OriginalDimensions, (TPXDimensions{1, 2}));
    EXPECT_EQ(record.ProcessedDimensions, (TPXDimensions{3, 4}));
  }
  // A made-up XID is not taken for one of the library's handles either.
  TPXObject madeUp{nullptr, reinterpret_cast<void*>(uintptr_t{0x1234567}), {}, {}, nullptr};
  EXPECT_EQ(Pexora_FreeObject(&madeUp), PX_ERROR_OBJECT);
}

TEST_P(ScreenCaptureTest, AWindowDestroyedWhileItIsCapturedOverAndOver) {
  const Image picture = RandomPicture(300, 200, 41);
  const xcb_window_t window = client_.Window(picture, 50, 50);
  ASSERT_EQ(WaitUntilShown(window, picture), (Place{0, 0, 0}));
  std::atomic<bool> gone{false};
  std::atomic<int> read{0}, refused{0}, other{0}, refusedAfter{0}, readAfter{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 150; ++i) {
        const bool after = gone.load();
        Capture shot(window);
        if (shot.code == PX_OK) {
          ++read;
          if (after) ++readAfter;
        } else if (shot.code == PX_ERROR_LOADING) {
          ++refused;
          if (after) ++refusedAfter;
        } else {
          ++other;
        }
      }
    });
  }
  while (read.load() < 20) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  client_.Destroy(window);
  gone = true;
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(other.load(), 0);
  EXPECT_GE(read.load(), 20);
  EXPECT_GT(refusedAfter.load(), 0);
  EXPECT_EQ(readAfter.load(), 0);
  EXPECT_EQ(Capture(window).code, PX_ERROR_LOADING);
  EXPECT_EQ(Capture(0).code, PX_OK);  // and the process goes on
}

TEST_P(ScreenCaptureTest, SixteenThreadsCaptureAtOnce) {
  const Image picture = RandomPicture(100, 80, 51);
  const xcb_window_t window = client_.Window(picture, 300, 200);
  ASSERT_EQ(WaitUntilShown(0, picture), (Place{300, 200, 0}));
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 4; ++i) {
        Capture shot(t % 2 == 0 ? 0 : window);
        const Place expected = t % 2 == 0 ? Place{300, 200, 0} : Place{0, 0, 0};
        if (shot.code != PX_OK || Best(shot.record, picture, Exact()) != expected) ++wrong;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST_P(ScreenCaptureTest, AChildProcessCapturesAfterAFork) {
  const Image picture = RandomPicture(64, 48, 61);
  client_.Window(picture, 17, 19);
  ASSERT_EQ(WaitUntilShown(0, picture), (Place{17, 19, 0}));
  const pid_t child = fork();
  if (child == 0) {
    int status = 0;
    for (int i = 0; i < 3; ++i) {
      Capture shot(0);
      if (shot.code != PX_OK || Best(shot.record, picture, Exact()) != Place{17, 19, 0}) status = 1;
    }
    _exit(status);
  }
  ASSERT_GT(child, 0);
  Capture meanwhile(0);  // the parent goes on at the same time
  EXPECT_EQ(meanwhile.code, PX_OK);
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Best(Capture(0).record, picture, Exact()), (Place{17, 19, 0}));
}

INSTANTIATE_TEST_SUITE_P(SharedMemory, ScreenCaptureTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithSharedMemory" : "WithoutSharedMemory"; });

// The file a symbol of a loaded library comes from.
std::string FileOf(const void* symbol) {
  Dl_info info{};
  char path[PATH_MAX];
  if (dladdr(symbol, &info) == 0 || realpath(info.dli_fname, path) == nullptr) return {};
  return path;
}

// Machines without the X client library, or without its shared-memory part:
// the same program, in a mount namespace where that library reads as an
// empty file.
TEST(ScreenCaptureWithoutXcbTest, IsNotAvailableWithoutLibxcbAndReadsWithoutLibxcbShm) {
  DisplayVariable restore;
  XServer server;
  setenv("DISPLAY", server.display().c_str(), 1);
  const std::string xcb = FileOf(reinterpret_cast<void*>(&xcb_connect));
  void* const shmLibrary = dlopen("libxcb-shm.so.0", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(shmLibrary, nullptr);
  const std::string shm = FileOf(dlsym(shmLibrary, "xcb_shm_id"));
  ASSERT_FALSE(xcb.empty());
  ASSERT_FALSE(shm.empty());
  const std::string helper = PEXORA_CAPTURE_ONCE;
  EXPECT_EQ(RunWithDisplay(server.display(), helper), "0\n");
  if (RunWithDisplay(server.display(), "unshare -m true && echo yes") != "yes\n") {
    GTEST_SKIP() << "no mount namespace for this user: the case is not tested here";
  }
  const auto without = [&](const std::string& library) {
    return RunWithDisplay(server.display(),
                          "unshare -m sh -c 'mount --bind /dev/null " + library + " && exec " + helper + "'");
  };
  EXPECT_EQ(without(xcb), "6\n");
  EXPECT_EQ(without(shm), "0\n");
}

TEST(ScreenCaptureSixteenBitTest, ReadsFiveSixFiveColoursExactly) {
  DisplayVariable restore;
  XServer server("1280x800x16");
  XClient client(server.display());
  ASSERT_EQ(client.depth(), 16);
  setenv("DISPLAY", server.display().c_str(), 1);
  Image picture = RandomPicture(90, 70, 71);
  // What 5-6-5 keeps of each colour, each channel scaled back to 0..255.
  Image expected = picture;
  for (uint32_t& p : expected.pixels) {
    const uint32_t r = RedOf(p) >> 3, g = GreenOf(p) >> 2, b = BlueOf(p) >> 3;
    p = 0xFF000000u | ((r * 255 + 15) / 31) << 16 | ((g * 255 + 31) / 63) << 8 | (b * 255 + 15) / 31;
  }
  const xcb_window_t window = client.Window(picture, 600, 500);
  ASSERT_EQ(WaitUntilShown(0, expected), (Place{600, 500, 0}));
  Capture screen(0);
  ASSERT_EQ(screen.code, PX_OK);
  EXPECT_EQ(screen.size(), (TPXDimensions{1280, 800}));
  Capture own(window);
  ASSERT_EQ(own.code, PX_OK);
  EXPECT_EQ(Best(own.record, expected, Exact()), (Place{0, 0, 0}));
  const xcb_pixmap_t pixmap = client.Pixmap(picture);
  Capture fromPixmap(pixmap);
  ASSERT_EQ(fromPixmap.code, PX_OK);
  EXPECT_EQ(Best(fromPixmap.record, expected, Exact()), (Place{0, 0, 0}));
  // The original colours are found at the tool's default tolerances.
  EXPECT_EQ(Best(screen.record, Crop(picture, 10, 10, 40, 30), ToolDefaults()).value_or(Place{}).x, 610);
}

}  // namespace
}  // namespace pexora::test
