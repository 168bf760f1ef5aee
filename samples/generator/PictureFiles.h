#pragma once

#include <string>

#include "Picture.h"

// Reading, writing and rescaling pictures through FreeImage. Every function
// throws std::runtime_error when FreeImage fails.
namespace PictureFiles {

enum class Channels { Rgb, Rgba };

void savePng(const Picture& picture, const std::string& path, Channels channels);
void saveJpeg(const Picture& picture, const std::string& path, int quality);

// Decodes any file FreeImage reads into 8-bit RGBA (opaque without alpha);
// JPEG files are decoded with JPEG_ACCURATE when accurate is true.
Picture load(const std::string& path, bool accurate = true);

// FreeImage_Rescale on a 32-bit bitmap; filter is a FREE_IMAGE_FILTER value.
Picture rescale(const Picture& picture, int width, int height, int filter);

}  // namespace PictureFiles
