#include "XServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "ShellText.h"

namespace pexora::test {

namespace {

using pexora::test::Quoted;

void EndProcess(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

}  // namespace

XServer::XServer(const std::string& screen, const std::vector<std::string>& more) {
  int told[2];
  if (pipe(told) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ == 0) {
    close(told[0]);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 1);
    dup2(devnull, 2);
    const std::string fd = std::to_string(told[1]);
    std::vector<std::string> words{"Xvfb", "-displayfd", fd, "-noreset", "-screen", "0", screen, "-nolisten", "tcp"};
    words.insert(words.end(), more.begin(), more.end());
    std::vector<char*> arguments;
    for (std::string& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    execvp("Xvfb", arguments.data());
    _exit(127);
  }
  close(told[1]);
  std::string number;
  char c = 0;
  while (read(told[0], &c, 1) == 1 && c != '\n') number += c;
  close(told[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start");
  display_ = ":" + number;
}

XServer::~XServer() { EndProcess(pid_); }

XClient::XClient(const std::string& display) {
  int number = 0;
  connection_ = xcb_connect(display.c_str(), &number);
  if (xcb_connection_has_error(connection_) != 0) throw std::runtime_error("cannot connect to " + display);
  auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < number; ++i) xcb_screen_next(&it);
  screen_ = it.data;
}

XClient::~XClient() { xcb_disconnect(connection_); }

xcb_pixmap_t XClient::Pixmap(const Image& picture) {
  const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
  const uint8_t depth = screen_->root_depth;
  xcb_create_pixmap(connection_, depth, pixmap, screen_->root, static_cast<uint16_t>(picture.width),
                    static_cast<uint16_t>(picture.height));
  const xcb_gcontext_t gc = xcb_generate_id(connection_);
  xcb_create_gc(connection_, gc, pixmap, 0, nullptr);
  // Rows in the server's layout: 32 bits a pixel at depth 24, 5-6-5 at 16.
  const int bytesPerPixel = depth == 16 ? 2 : 4;
  const int rowsAtOnce = std::max(1, 200000 / (picture.width * bytesPerPixel));
  for (int y = 0; y < picture.height; y += rowsAtOnce) {
    const int rows = std::min(rowsAtOnce, picture.height - y);
    std::vector<uint8_t> data(static_cast<size_t>(rows) * picture.width * bytesPerPixel);
    for (int r = 0; r < rows; ++r) {
      for (int x = 0; x < picture.width; ++x) {
        const uint32_t p = picture.At(x, y + r);
        uint8_t* const at = data.data() + (static_cast<size_t>(r) * picture.width + x) * bytesPerPixel;
        if (bytesPerPixel == 2) {
          const uint16_t v = static_cast<uint16_t>((RedOf(p) >> 3) << 11 | (GreenOf(p) >> 2) << 5 | BlueOf(p) >> 3);
          at[0] = static_cast<uint8_t>(v);
          at[1] = static_cast<uint8_t>(v >> 8);
        } else {
          const uint32_t v = p & 0xFFFFFFu;
          for (int b = 0; b < 4; ++b) at[b] = static_cast<uint8_t>(v >> (8 * b));
        }
      }
    }
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, static_cast<uint16_t>(picture.width),
                  static_cast<uint16_t>(rows), 0, static_cast<int16_t>(y), 0, depth, static_cast<uint32_t>(data.size()),
                  data.data());
  }
  xcb_free_gc(connection_, gc);
  Sync();
  return pixmap;
}

xcb_window_t XClient::Window(const Image& picture, int x, int y, bool mapped) {
  const xcb_pixmap_t background = Pixmap(picture);
  const xcb_window_t window = xcb_generate_id(connection_);
  const uint32_t values[] = {background, 1};
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen_->root, static_cast<int16_t>(x),
                    static_cast<int16_t>(y), static_cast<uint16_t>(picture.width),
                    static_cast<uint16_t>(picture.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                    XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_free_pixmap(connection_, background);
  if (mapped) xcb_map_window(connection_, window);
  Sync();
  return window;
}

void XClient::Destroy(xcb_window_t window) {
  xcb_destroy_window(connection_, window);
  Sync();
}

void XClient::Unmap(xcb_window_t window) {
  xcb_unmap_window(connection_, window);
  Sync();
}

void XClient::Sync() { free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

std::string RunWithDisplay(const std::string& display, const std::string& command) {
  const std::string line = "DISPLAY=" + Quoted(display) + " " + command + " 2>/dev/null";
  FILE* const pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  return out;
}

DisplayedPicture::DisplayedPicture(const std::string& display, const std::filesystem::path& file, int x, int y) {
  const std::string title =
      "pexora-shown-" + std::to_string(getpid()) + "-" + std::to_string(x) + "-" + std::to_string(y);
  pid_ = fork();
  if (pid_ == 0) {
    setenv("DISPLAY", display.c_str(), 1);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    const std::string geometry = "+" + std::to_string(x) + "+" + std::to_string(y);
    execlp("display", "display", "-geometry", geometry.c_str(), "-borderwidth", "0", "-title", title.c_str(),
           file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string found =
        RunWithDisplay(display, "xdotool search --onlyvisible --name " + Quoted("^" + title + "$"));
    if (!found.empty()) {
      window_ = std::strtoul(found.c_str(), nullptr, 10);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

DisplayedPicture::~DisplayedPicture() { EndProcess(pid_); }

}  // namespace pexora::test
