// The pictures a batch searches: files as given, folders walked for the
// picture formats the library reads.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pexora::find {

// One picture to search in, or a path that could not be walked.
struct WalkedPicture {
  std::string path;
  std::optional<std::string> error;
};

// Whether a file name ends in .png, .jpg, .jpeg, .jpe, .bmp, .dib, .gif, .tif
// or .tiff, in any case.
bool HasPictureExtension(const std::string& path);

// Each path that is a folder becomes the picture files under it, at any depth,
// in the order of their paths; any other path is taken as a picture as it is
// (a missing one fails when it is loaded). Folders that cannot be read are
// listed with their error.
std::vector<WalkedPicture> WalkPictures(const std::vector<std::string>& paths);

}  // namespace pexora::find
