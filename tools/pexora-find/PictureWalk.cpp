#include "PictureWalk.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace pexora::find {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 9> kExtensions{".png", ".jpg", ".jpeg", ".jpe", ".bmp",
                                                      ".dib", ".gif", ".tif",  ".tiff"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

// The picture files under `folder` at any depth, and each folder that cannot
// be read as an error. Links to folders are not followed (they could loop).
void Walk(const fs::path& folder, std::vector<WalkedPicture>& into) {
  std::error_code error;
  fs::directory_iterator at(folder, error);
  for (const fs::directory_iterator end; !error && at != end; at.increment(error)) {
    std::error_code kind;
    if (at->is_directory(kind) && !at->is_symlink(kind)) {
      Walk(at->path(), into);
    } else if (at->is_regular_file(kind) && HasPictureExtension(at->path().string())) {
      into.push_back({at->path().string(), std::nullopt});
    }
  }
  if (error) into.push_back({folder.string(), "cannot read the folder: " + error.message()});
}

}  // namespace

bool HasPictureExtension(const std::string& path) {
  const std::string extension = Lower(fs::path(path).extension().string());
  return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

std::vector<WalkedPicture> WalkPictures(const std::vector<std::string>& paths) {
  std::vector<WalkedPicture> pictures;
  for (const std::string& path : paths) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
      const size_t first = pictures.size();
      Walk(path, pictures);
      std::sort(pictures.begin() + std::ptrdiff_t(first), pictures.end(),
                [](const WalkedPicture& a, const WalkedPicture& b) { return a.path < b.path; });
    } else {
      pictures.push_back({path, std::nullopt});
    }
  }
  return pictures;
}

}  // namespace pexora::find
