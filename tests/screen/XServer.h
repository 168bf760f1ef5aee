// Real X servers and X clients for the tests of screen capture: an Xvfb
// started on a free display, windows and pixmaps made over a connection of
// the test's own, and pictures shown by ImageMagick's display.
#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/Image.h"

namespace pexora::test {

// Xvfb with one screen, e.g. "640x480x24", and any further arguments of its
// own (e.g. "-extension", "MIT-SHM" to go without shared memory); ended with
// the object. It does not reset when its last client goes, as a desktop's
// server never does.
class XServer {
 public:
  explicit XServer(const std::string& screen = "640x480x24", const std::vector<std::string>& more = {});
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  const std::string& display() const { return display_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Windows and pixmaps that hold a picture, made by a client of the server.
class XClient {
 public:
  explicit XClient(const std::string& display);
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  // A top-level window at (x, y), without border, whose background is the
  // picture (the server paints it again wherever it is exposed).
  xcb_window_t Window(const Image& picture, int x, int y, bool mapped = true);
  xcb_pixmap_t Pixmap(const Image& picture);
  void Destroy(xcb_window_t window);
  void Unmap(xcb_window_t window);
  // Waits until the server has done everything asked so far.
  void Sync();
  int depth() const { return screen_->root_depth; }

 private:
  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
};

// A picture that ImageMagick's display shows at (x, y) of the screen, in a
// window of its own: a real X client. Ended with the object.
class DisplayedPicture {
 public:
  DisplayedPicture(const std::string& display, const std::filesystem::path& file, int x, int y);
  ~DisplayedPicture();
  DisplayedPicture(const DisplayedPicture&) = delete;
  DisplayedPicture& operator=(const DisplayedPicture&) = delete;
  // The window's XID, as xdotool finds it by its title; 0 if none appeared.
  unsigned long window() const { return window_; }

 private:
  pid_t pid_ = -1;
  unsigned long window_ = 0;
};

// Runs a shell command with DISPLAY set; its standard output.
std::string RunWithDisplay(const std::string& display, const std::string& command);

}  // namespace pexora::test
